#pragma once
// The objects an HtmlParser hands out: one per tag, text run or (optionally) closing tag.
// They are recycled by the parser that made them, so they stay valid only until its next parse.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class HtmlParser;
class HtmlTag;

// One attribute as written in the tag: quotes removed, nothing trimmed or case-folded.
struct HtmlAttribute {
  std::string AttrValue;
  std::string AttrName;
  HtmlTag* OwnerTag = nullptr;
  int ValuePos = 0;  // 1-based position of the value's first character; 0 when there is no value
};

// Which class an object is, so that the parser's hot paths need no dynamic_cast.
enum class HtmlTagKind : std::uint8_t { Plain, Form, Link, Frame, Image, Table, TableRow, TableCell, MetaTag };
inline constexpr int kHtmlTagKindCount = 9;

class HtmlForm;
class HtmlLink;
class HtmlFrame;
class HtmlImage;
class HtmlTable;
class HtmlTableRow;
class HtmlTableCell;
class HtmlMetaTag;

// The lists never own their items; every object belongs to the parser that made it.
using HtmlTagList = std::vector<HtmlTag*>;
using HtmlFormList = std::vector<HtmlForm*>;
using HtmlLinkList = std::vector<HtmlLink*>;
using HtmlImageList = std::vector<HtmlImage*>;
using HtmlTableList = std::vector<HtmlTable*>;
using HtmlFrameList = std::vector<HtmlFrame*>;
using HtmlMetaTagList = std::vector<HtmlMetaTag*>;
using HtmlTableRowList = std::vector<HtmlTableRow*>;
using HtmlTableCellList = std::vector<HtmlTableCell*>;
using HtmlAttributeList = std::vector<HtmlAttribute*>;

// ASCII-only case-insensitive equality, the comparison HTML names use throughout. Inline,
// because the tokenizer calls it for nearly every tag with a literal it can fold.
inline bool SameTextAscii(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto x = static_cast<unsigned char>(a[i]);
    auto y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
    if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
    if (x != y) return false;
  }
  return true;
}

class HtmlTag {
 public:
  explicit HtmlTag(HtmlTagKind kind = HtmlTagKind::Plain) : m_kind(kind) {}
  virtual ~HtmlTag() = default;
  HtmlTag(const HtmlTag&) = delete;
  HtmlTag& operator=(const HtmlTag&) = delete;

  const HtmlAttributeList& AttrList() const { return m_attrList; }
  const std::string& TagName() const { return m_tagName; }
  HtmlTag* Enclosing() const { return m_enclosing; }
  // Body and RawSource always hold the same text, so one string serves both.
  const std::string& Body() const { return m_source; }
  const std::string& RawSource() const { return m_source; }
  bool TextNode() const { return m_textNode; }
  HtmlParser* OwnerParser() const { return m_ownerParser; }
  HtmlTag* Successor() const { return m_successor; }
  bool EndTag() const { return m_endTag; }
  int AfterPos() const { return m_afterPos; }
  HtmlTagKind Kind() const { return m_kind; }

  // First attribute whose name equals `name` ignoring case, or null.
  const HtmlAttribute* FindAttribute(std::string_view name) const;
  // Value of that attribute; empty when the attribute is missing.
  const std::string& AttrValue(std::string_view name) const;

  // Registers the object in the parser's lists.
  virtual void Attach(HtmlParser& parser) {}
  // Raises the events that follow OnParseTag; the base runs the form-control check only.
  virtual void Announce(HtmlParser& parser);
  virtual bool IsCellContent() const { return true; }

 private:
  friend class HtmlParser;
  // Prepares a recycled object for its next use; keeps string capacity.
  void reset(HtmlParser* owner, HtmlTag* enclosing, int afterPos);
  virtual void clearOwnList() {}

  HtmlAttributeList m_attrList;
  std::string m_tagName;
  HtmlTag* m_enclosing = nullptr;
  std::string m_source;
  bool m_textNode = false;
  bool m_endTag = false;
  HtmlTagKind m_kind;
  HtmlParser* m_ownerParser = nullptr;
  HtmlTag* m_successor = nullptr;
  int m_afterPos = 0;
  // Nearest HtmlForm up the Enclosing chain, cached so that the form-control check is O(1)
  // even in deeply nested pages.
  HtmlForm* m_enclosingForm = nullptr;
};

class HtmlForm final : public HtmlTag {
 public:
  HtmlForm() : HtmlTag(HtmlTagKind::Form) {}
  const HtmlTagList& FormControls() const { return m_formControls; }
  void Attach(HtmlParser& parser) override;
  void Announce(HtmlParser& parser) override;

 private:
  friend class HtmlTag;
  void clearOwnList() override { m_formControls.clear(); }
  HtmlTagList m_formControls;
};

class HtmlLink final : public HtmlTag {
 public:
  HtmlLink() : HtmlTag(HtmlTagKind::Link) {}
  const HtmlTagList& LinkTags() const { return m_linkTags; }
  // The link's target: its "href" value, empty when absent.
  const std::string& Href() const { return AttrValue("href"); }
  void Attach(HtmlParser& parser) override;
  void Announce(HtmlParser& parser) override;

 private:
  friend class HtmlParser;
  void clearOwnList() override { m_linkTags.clear(); }
  HtmlTagList m_linkTags;
};

class HtmlFrame final : public HtmlTag {
 public:
  HtmlFrame() : HtmlTag(HtmlTagKind::Frame) {}
  void Attach(HtmlParser& parser) override;
  void Announce(HtmlParser& parser) override;
};

class HtmlImage final : public HtmlTag {
 public:
  HtmlImage() : HtmlTag(HtmlTagKind::Image) {}
  void Attach(HtmlParser& parser) override;
  void Announce(HtmlParser& parser) override;
};

class HtmlTable final : public HtmlTag {
 public:
  HtmlTable() : HtmlTag(HtmlTagKind::Table) {}
  const HtmlTableRowList& TableRows() const { return m_tableRows; }
  void Attach(HtmlParser& parser) override;
  void Announce(HtmlParser& parser) override;

 private:
  friend class HtmlTableRow;
  friend class HtmlTableCell;
  friend class HtmlParser;
  void clearOwnList() override { m_tableRows.clear(); }
  HtmlTableRowList m_tableRows;
};

class HtmlTableRow final : public HtmlTag {
 public:
  HtmlTableRow() : HtmlTag(HtmlTagKind::TableRow) {}
  const HtmlTableCellList& RowCells() const { return m_rowCells; }
  void Attach(HtmlParser& parser) override;
  void Announce(HtmlParser& parser) override;
  bool IsCellContent() const override { return false; }

 private:
  friend class HtmlTableCell;
  friend class HtmlParser;
  void clearOwnList() override { m_rowCells.clear(); }
  HtmlTableCellList m_rowCells;
};

class HtmlTableCell final : public HtmlTag {
 public:
  HtmlTableCell() : HtmlTag(HtmlTagKind::TableCell) {}
  const HtmlTagList& CellTags() const { return m_cellTags; }
  void Attach(HtmlParser& parser) override;
  void Announce(HtmlParser& parser) override;
  bool IsCellContent() const override { return false; }

 private:
  friend class HtmlParser;
  void clearOwnList() override { m_cellTags.clear(); }
  HtmlTagList m_cellTags;
};

class HtmlMetaTag final : public HtmlTag {
 public:
  HtmlMetaTag() : HtmlTag(HtmlTagKind::MetaTag) {}
  void Attach(HtmlParser& parser) override;
  void Announce(HtmlParser& parser) override;
};
