#pragma once
// HtmlParser: the event-driven HTML tokenizer behind link discovery and page titles.
// It turns one 8-bit page into a flat sequence of tag and text objects and reports each one
// through its On* callbacks as soon as it is complete. It builds no tree and validates
// nothing: one stack of open elements tells it which element encloses the next object.
// Comments and script bodies are skipped by a TagLexemChecker. Any bytes are accepted.
//
// The objects of one parse live until the next parse; they are recycled between parses, so
// a parser that reads many pages allocates almost nothing once it has warmed up.

#include <array>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "html/htmltag.h"
#include "html/taglexemchecker.h"

enum class HtmlParseMethod { pmAll = 0, pmTagsOnly = 1, pmTextOnly = 2 };

using ParseTagHandler = std::function<void(HtmlParser& Sender, const HtmlTag& ATag)>;
using ParseAttributeHandler =
    std::function<void(HtmlParser& Sender, const HtmlTag& ATag, const HtmlAttribute& Attribute)>;
using ParseFormHandler = std::function<void(HtmlParser& Sender, const HtmlForm& AForm)>;
using ParseLinkHandler = std::function<void(HtmlParser& Sender, const HtmlLink& ALink)>;
using ParseFrameHandler = std::function<void(HtmlParser& Sender, const HtmlFrame& AFrame)>;
using ParseImageHandler = std::function<void(HtmlParser& Sender, const HtmlImage& AImage)>;
using ParseFormControlHandler =
    std::function<void(HtmlParser& Sender, const HtmlForm& AForm, const HtmlTag& AControl)>;
using ParseTableHandler = std::function<void(HtmlParser& Sender, const HtmlTable& ATable)>;
using ParseTableRowHandler =
    std::function<void(HtmlParser& Sender, const HtmlTable& ATable, const HtmlTableRow& ARow)>;
using ParseTableCellHandler = std::function<void(HtmlParser& Sender, const HtmlTable& ATable,
                                                 const HtmlTableRow& ARow, const HtmlTableCell& ACell)>;
using ParseTableCellTagHandler =
    std::function<void(HtmlParser& Sender, const HtmlTable& ATable, const HtmlTableRow& ARow,
                       const HtmlTableCell& ACell, const HtmlTag& ATag)>;
using ParseMetaTagHandler = std::function<void(HtmlParser& Sender, const HtmlMetaTag& ATag)>;

class HtmlParser {
 public:
  HtmlParser();
  virtual ~HtmlParser();
  HtmlParser(const HtmlParser&) = delete;
  HtmlParser& operator=(const HtmlParser&) = delete;

  // Settings and general-purpose fields.
  HtmlParseMethod ParseMethod = HtmlParseMethod::pmTagsOnly;
  bool IncludeClosingTags = false;
  int Tag = 0;  // free for the owner; the crawl keeps the slot number here
  std::string Name;

  // Events, raised synchronously from inside ParseDocument in document order.
  ParseFormHandler OnParseForm;
  ParseFormControlHandler OnParseFormControl;
  ParseLinkHandler OnParseLink;
  ParseImageHandler OnParseImage;
  ParseAttributeHandler OnParseAttribute;
  ParseTagHandler OnParseTag;
  ParseTableHandler OnParseTable;
  ParseTableCellHandler OnParseTableCell;
  ParseTableCellTagHandler OnParseTableCellTag;
  ParseTableRowHandler OnParseTableRow;
  ParseFrameHandler OnParseFrame;
  ParseMetaTagHandler OnParseMetaTag;

  // Parses one page. Objects of the previous parse are released first. Throws
  // std::logic_error when called from one of this parser's own handlers.
  void ParseDocument(std::string_view text);

  // The text a tag stands for: a text object's own text, else the text object right after
  // the tag when that one sits in a different element, else the tag's source.
  static const std::string& InnerTextOf(const HtmlTag& tag);

  // Results of the last parse.
  const HtmlTagList& AllTags() const { return m_allTags; }
  const HtmlFormList& FormsList() const { return m_formsList; }
  const HtmlLinkList& LinksList() const { return m_linksList; }
  const HtmlImageList& ImagesList() const { return m_imagesList; }
  const HtmlTableList& TablesList() const { return m_tablesList; }
  const HtmlFrameList& FramesList() const { return m_framesList; }
  const HtmlMetaTagList& MetaList() const { return m_metaList; }
  const std::string& DocumentTitle() const { return m_documentTitle; }
  const std::string& MetaKeywords() const { return m_metaKeywords; }
  const std::string& MetaDescription() const { return m_metaDescription; }
  const std::string& MetaAuthor() const { return m_metaAuthor; }
  // The link whose text is being read, or null.
  HtmlLink* CurrentLink() const { return m_currentLink; }
  // Open tables, innermost last; empty outside a parse.
  const HtmlTableList& TableStack() const { return m_tableStack; }

  // Event dispatch: each calls its handler only when one is assigned.
  virtual void FireTag(const HtmlTag& tag);
  virtual void FireAttribute(const HtmlTag& tag, const HtmlAttribute& attribute);
  virtual void FireForm(const HtmlForm& form);
  virtual void FireLink(const HtmlLink& link);
  virtual void FireFrame(const HtmlFrame& frame);
  virtual void FireImage(const HtmlImage& image);
  virtual void FireFormControl(const HtmlForm& form, const HtmlTag& control);
  virtual void FireTable(const HtmlTable& table);
  virtual void FireTableRow(const HtmlTable& table, const HtmlTableRow& row);
  virtual void FireTableCell(const HtmlTable& table, const HtmlTableRow& row, const HtmlTableCell& cell);
  virtual void FireTableCellTag(const HtmlTable& table, const HtmlTableRow& row, const HtmlTableCell& cell,
                                const HtmlTag& tag);
  virtual void FireMetaTag(const HtmlMetaTag& meta);

 protected:
  // `position` is the 1-based position of the text's first character.
  virtual void EmitText(std::string_view text, HtmlTag* enclosing, int position);
  // Builds, registers and announces one tag from the text between '<' and '>'; null when
  // the text is empty. `endIndex` is the position of '>', `namePos` that of the name.
  virtual HtmlTag* BuildTag(std::string_view tagText, HtmlTag* enclosing, int endIndex, int namePos);
  // Makes an object of the class the name asks for and appends it to AllTags.
  virtual HtmlTag* MakeTagObject(std::string_view name, std::string_view source, HtmlTag* enclosing,
                                 int position);
  virtual void ReadAttributes(HtmlTag& tag, std::string_view attrText, int position);
  virtual void RegisterLexems(TagLexemChecker& checker);
  virtual void ResetResults();

  // Ordinary bytes are normally copied in runs; the byte-at-a-time path stays selectable so
  // that tests can hold the fast path against it.
  void SetBulkScan(bool on) { m_bulkScan = on; }

 private:
  friend class HtmlTag;
  friend class HtmlForm;
  friend class HtmlLink;
  friend class HtmlFrame;
  friend class HtmlImage;
  friend class HtmlTable;
  friend class HtmlTableRow;
  friend class HtmlTableCell;
  friend class HtmlMetaTag;

  HtmlTag* acquire(HtmlTagKind kind);
  void append(HtmlTag* object);
  HtmlTableCell* currentCell(HtmlTable** table, HtmlTableRow** row) const;
  void emitAttribute(HtmlTag& tag, std::string_view name, std::string_view value, int valuePos);
  void closeTag(std::size_t gtIndex);
  void finishTag(std::string_view text, std::size_t gtIndex);
  void fillResultStrings();
  bool textWanted() const {
    return ParseMethod != HtmlParseMethod::pmTagsOnly || m_currentLink != nullptr;
  }

  // Results.
  HtmlTagList m_allTags;
  HtmlFormList m_formsList;
  HtmlLinkList m_linksList;
  HtmlImageList m_imagesList;
  HtmlTableList m_tablesList;
  HtmlFrameList m_framesList;
  HtmlMetaTagList m_metaList;
  std::string m_documentTitle;
  std::string m_metaKeywords;
  std::string m_metaDescription;
  std::string m_metaAuthor;

  // Parse state.
  HtmlLink* m_currentLink = nullptr;
  HtmlTableList m_tableStack;
  HtmlTagList m_openStack;
  TagLexemChecker m_checker;
  std::string m_tagBuf;
  std::string m_textBuf;
  std::string m_sourceBuf;
  std::string m_attrName;
  std::string m_attrValue;
  std::size_t m_tagStart = 0;  // 0-based index of the '<' that opened the current tag
  bool m_parsing = false;
  bool m_closing = false;
  bool m_bulkScan = true;

  // Recycled objects: per kind, the first m_poolUsed[k] entries belong to the current parse.
  std::array<std::vector<std::unique_ptr<HtmlTag>>, kHtmlTagKindCount> m_pool;
  std::array<std::size_t, kHtmlTagKindCount> m_poolUsed{};
  std::deque<HtmlAttribute> m_attrPool;  // a deque keeps attribute addresses stable
  std::size_t m_attrUsed = 0;
};
