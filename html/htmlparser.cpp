#include "html/htmlparser.h"

#include <algorithm>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "html/charclass.h"

using html_detail::CharClass;
using html_detail::classOf;

namespace {

unsigned char lowerAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// Index of the first byte at or after `i` that is not plain. With the standard lexemes
// the bytes that need attention are exactly '<', '>', '/' and '-', which SSE2 finds
// sixteen at a time; text between tags is most of a page.
std::size_t skipPlain(const char* s, std::size_t i, std::size_t n, const std::array<bool, 256>& plain,
                      bool fourSpecials) {
#if defined(__SSE2__)
  if (fourSpecials) {
    const __m128i lt = _mm_set1_epi8('<');
    const __m128i gt = _mm_set1_epi8('>');
    const __m128i slash = _mm_set1_epi8('/');
    const __m128i dash = _mm_set1_epi8('-');
    while (i + 16 <= n) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
      const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, gt)),
                                        _mm_or_si128(_mm_cmpeq_epi8(v, slash), _mm_cmpeq_epi8(v, dash)));
      const int mask = _mm_movemask_epi8(hits);
      if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
      i += 16;
    }
  }
#else
  (void)fourSpecials;
#endif
  while (i < n && plain[static_cast<unsigned char>(s[i])]) ++i;
  return i;
}

HtmlTagKind kindForName(std::string_view name) {
  switch (name.size()) {
    case 1:
      if (SameTextAscii(name, "a")) return HtmlTagKind::Link;
      break;
    case 2:
      if (SameTextAscii(name, "tr") || SameTextAscii(name, "th")) return HtmlTagKind::TableRow;
      if (SameTextAscii(name, "td")) return HtmlTagKind::TableCell;
      break;
    case 3:
      if (SameTextAscii(name, "img")) return HtmlTagKind::Image;
      break;
    case 4:
      if (SameTextAscii(name, "form")) return HtmlTagKind::Form;
      if (SameTextAscii(name, "meta")) return HtmlTagKind::MetaTag;
      break;
    case 5:
      if (SameTextAscii(name, "frame")) return HtmlTagKind::Frame;
      if (SameTextAscii(name, "table")) return HtmlTagKind::Table;
      break;
    case 6:
      if (SameTextAscii(name, "iframe")) return HtmlTagKind::Frame;
      break;
    default:
      break;
  }
  return HtmlTagKind::Plain;
}

std::unique_ptr<HtmlTag> newObject(HtmlTagKind kind) {
  switch (kind) {
    case HtmlTagKind::Form: return std::make_unique<HtmlForm>();
    case HtmlTagKind::Link: return std::make_unique<HtmlLink>();
    case HtmlTagKind::Frame: return std::make_unique<HtmlFrame>();
    case HtmlTagKind::Image: return std::make_unique<HtmlImage>();
    case HtmlTagKind::Table: return std::make_unique<HtmlTable>();
    case HtmlTagKind::TableRow: return std::make_unique<HtmlTableRow>();
    case HtmlTagKind::TableCell: return std::make_unique<HtmlTableCell>();
    case HtmlTagKind::MetaTag: return std::make_unique<HtmlMetaTag>();
    case HtmlTagKind::Plain: break;
  }
  return std::make_unique<HtmlTag>();
}

// Elements that never enclose anything, so they are not pushed on the open-element stack.
bool isEmptyElementName(std::string_view name) {
  while (!name.empty() && static_cast<unsigned char>(name.front()) <= ' ') name.remove_prefix(1);
  while (!name.empty() && static_cast<unsigned char>(name.back()) <= ' ') name.remove_suffix(1);
  switch (name.size()) {
    case 2: return SameTextAscii(name, "br");
    case 3: return SameTextAscii(name, "img");
    case 5: return SameTextAscii(name, "input") || SameTextAscii(name, "frame");
    case 6: return SameTextAscii(name, "select") || SameTextAscii(name, "iframe");
    case 8: return SameTextAscii(name, "textarea") || SameTextAscii(name, "!doctype");
    default: return false;
  }
}

}  // namespace

HtmlParser::HtmlParser() = default;
HtmlParser::~HtmlParser() = default;

void HtmlParser::ParseDocument(std::string_view text) {
  if (m_parsing) throw std::logic_error("HtmlParser::ParseDocument called from one of its own handlers");
  ResetResults();
  if (text.empty()) return;

  m_parsing = true;
  struct ParseGuard {
    HtmlParser& parser;
    ~ParseGuard() {
      parser.m_parsing = false;
      parser.m_tableStack.clear();
      parser.m_openStack.clear();
    }
  } guard{*this};

  m_openStack.clear();
  m_tableStack.clear();
  m_currentLink = nullptr;
  m_checker.Clear();
  RegisterLexems(m_checker);
  m_tagBuf.clear();
  m_textBuf.clear();
  m_closing = false;

  // Bytes that need no individual attention while the lexeme checker is idle: not one of
  // "/<>" and not the first byte of any lexeme. Runs of them are copied in one go.
  std::array<bool, 256> plain{};
  for (int c = 0; c < 256; ++c) {
    plain[c] = m_bulkScan && c != '/' && c != '<' && c != '>' && m_checker.Passive(static_cast<unsigned char>(c));
  }

  const bool fourSpecials = std::count(plain.begin(), plain.end(), false) == 4 && !plain['<'] && !plain['>'] &&
                            !plain['/'] && !plain['-'];

  const char* const s = text.data();
  const std::size_t n = text.size();
  bool inTag = false;
  bool skipping = false;
  std::size_t i = 0;
  while (i < n) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (plain[c] && m_checker.Passive(c)) {
      const std::size_t j = skipPlain(s, i + 1, n, plain, fourSpecials);
      if (!skipping) {
        if (inTag) {
          m_tagBuf.append(s + i, j - i);
        } else if (textWanted()) {
          m_textBuf.append(s + i, j - i);
        }
      }
      i = j;
      continue;
    }

    const int answer = m_checker.Passive(c) ? TagLexemChecker::kNone : m_checker.Check(lowerAscii(c));
    if (answer == TagLexemChecker::kOpened && !skipping) {
      // The byte that completes "<!--" or "<script" still belongs to the tag's name.
      m_tagBuf.push_back(static_cast<char>(c));
      skipping = true;
    } else if (answer == TagLexemChecker::kClosed) {
      skipping = false;
    }
    if (skipping) {
      ++i;
      continue;
    }

    switch (c) {
      case '/':
        if (!inTag) {
          if (textWanted()) m_textBuf.push_back('/');
        } else if (s[i - 1] == '<') {
          m_closing = true;  // "</" starts a closing tag
        } else if (i + 1 < n && s[i + 1] != '>') {
          m_tagBuf.push_back('/');  // a '/' right before '>' marks an empty element instead
        }
        break;
      case '<':
        if (!inTag) {  // a '<' inside a tag is dropped
          m_tagBuf.clear();
          m_tagStart = i;
          inTag = true;
          if (!m_textBuf.empty() && textWanted()) {
            EmitText(m_textBuf, m_openStack.empty() ? nullptr : m_openStack.back(),
                     static_cast<int>(i + 1 - m_textBuf.size()));
            m_textBuf.clear();
          }
        }
        break;
      case '>':
        if (inTag) {  // a '>' outside a tag is dropped
          if (m_closing) {
            closeTag(i);
          } else if (ParseMethod != HtmlParseMethod::pmTextOnly) {
            finishTag(text, i);
          }
          inTag = false;
          m_closing = false;
          m_tagBuf.clear();
        }
        break;
      default:
        if (inTag) {
          m_tagBuf.push_back(static_cast<char>(c));
        } else if (textWanted()) {
          m_textBuf.push_back(static_cast<char>(c));
        }
        break;
    }
    ++i;
  }
  // An unfinished tag and text after the last tag produce nothing.
  m_tagBuf.clear();
  m_textBuf.clear();
  fillResultStrings();
}

void HtmlParser::closeTag(std::size_t gtIndex) {
  HtmlTag* enclosing = nullptr;
  if (!m_openStack.empty()) {
    HtmlTag* top = m_openStack.back();
    enclosing = top->Enclosing();
    if (SameTextAscii(top->TagName(), m_tagBuf)) {
      m_openStack.pop_back();
      if (!m_tableStack.empty() && SameTextAscii(m_tagBuf, "table")) m_tableStack.pop_back();
    }
  }
  if (SameTextAscii(m_tagBuf, "a")) m_currentLink = nullptr;
  if (IncludeClosingTags) {
    HtmlTag* tag = MakeTagObject(m_tagBuf, {}, enclosing, static_cast<int>(gtIndex + 2));
    tag->m_endTag = true;
  }
}

void HtmlParser::finishTag(std::string_view text, std::size_t gtIndex) {
  HtmlTag* top = m_openStack.empty() ? nullptr : m_openStack.back();
  HtmlTag* tag = BuildTag(m_tagBuf, top, static_cast<int>(gtIndex + 1), static_cast<int>(m_tagStart + 2));
  if (tag == nullptr) return;
  if (text[gtIndex - 1] == '/' || isEmptyElementName(tag->TagName())) {
    if (SameTextAscii(tag->TagName(), "a")) m_currentLink = nullptr;
  } else {
    m_openStack.push_back(tag);
  }
}

HtmlTag* HtmlParser::BuildTag(std::string_view tagText, HtmlTag* enclosing, int endIndex, int namePos) {
  if (tagText.empty()) return nullptr;
  std::size_t nameLen = 0;
  while (nameLen < tagText.size() && classOf(static_cast<unsigned char>(tagText[nameLen])) == CharClass::Other) {
    ++nameLen;
  }

  std::string_view source = tagText;
  const bool hasBreaks = std::any_of(tagText.begin(), tagText.end(), [](char ch) {
    return ch == '\t' || ch == '\r' || ch == '\n';
  });
  if (hasBreaks) {
    m_sourceBuf.clear();
    for (char ch : tagText) {
      if (ch != '\t' && ch != '\r' && ch != '\n') m_sourceBuf.push_back(ch);
    }
    source = m_sourceBuf;
  }

  HtmlTag* tag = MakeTagObject(tagText.substr(0, nameLen), source, enclosing, endIndex + 1);
  // Before Attach, so that a link opened inside another link is recorded in the outer one.
  if (m_currentLink != nullptr) m_currentLink->m_linkTags.push_back(tag);

  HtmlTable* table = nullptr;
  HtmlTableRow* row = nullptr;
  HtmlTableCell* cell = tag->IsCellContent() ? currentCell(&table, &row) : nullptr;
  if (cell != nullptr) cell->m_cellTags.push_back(tag);
  tag->Attach(*this);
  ReadAttributes(*tag, tagText.substr(nameLen), namePos + static_cast<int>(nameLen));
  FireTag(*tag);
  tag->Announce(*this);
  if (cell != nullptr) FireTableCellTag(*table, *row, *cell, *tag);
  return tag;
}

HtmlTag* HtmlParser::MakeTagObject(std::string_view name, std::string_view source, HtmlTag* enclosing,
                                   int position) {
  HtmlTag* tag = acquire(kindForName(name));
  tag->reset(this, enclosing, position);
  tag->m_tagName.assign(name);
  tag->m_source.assign(source);
  append(tag);
  return tag;
}

void HtmlParser::EmitText(std::string_view text, HtmlTag* enclosing, int position) {
  HtmlTag* tag = acquire(HtmlTagKind::Plain);
  tag->reset(this, enclosing, position);
  tag->m_textNode = true;
  if (text.data() == m_textBuf.data() && text.size() == m_textBuf.size()) {
    // The run buffer is emptied right after this call: hand it over instead of copying it,
    // and let the run continue in the object's old buffer.
    tag->m_source.swap(m_textBuf);
  } else {
    tag->m_source.assign(text);
  }
  append(tag);
  if (m_currentLink != nullptr) m_currentLink->m_linkTags.push_back(tag);
  HtmlTable* table = nullptr;
  HtmlTableRow* row = nullptr;
  HtmlTableCell* cell = currentCell(&table, &row);
  if (cell != nullptr) cell->m_cellTags.push_back(tag);
  FireTag(*tag);
  if (cell != nullptr) FireTableCellTag(*table, *row, *cell, *tag);
}

void HtmlParser::RegisterLexems(TagLexemChecker& checker) {
  checker.AddPair("<!--", "-->");
  checker.AddPair("<script", "</script>");
}

void HtmlParser::ResetResults() {
  m_allTags.clear();
  m_formsList.clear();
  m_linksList.clear();
  m_imagesList.clear();
  m_tablesList.clear();
  m_framesList.clear();
  m_metaList.clear();
  m_documentTitle.clear();
  m_metaKeywords.clear();
  m_metaDescription.clear();
  m_metaAuthor.clear();
  m_currentLink = nullptr;
  m_poolUsed.fill(0);
  m_attrUsed = 0;
  // Recycling is for the common page; one giant page must not pin its memory for the
  // rest of the run in every slot that ever read one.
  constexpr std::size_t kKeepObjects = 16384;
  constexpr std::size_t kKeepBufferBytes = 1 << 20;
  for (auto& pool : m_pool) {
    if (pool.size() > kKeepObjects) pool.resize(kKeepObjects);
  }
  if (m_attrPool.size() > kKeepObjects) m_attrPool.resize(kKeepObjects);
  for (std::string* buffer : {&m_tagBuf, &m_textBuf, &m_sourceBuf, &m_attrName, &m_attrValue}) {
    if (buffer->capacity() > kKeepBufferBytes) std::string().swap(*buffer);
  }
}

HtmlTag* HtmlParser::acquire(HtmlTagKind kind) {
  const auto k = static_cast<std::size_t>(kind);
  auto& pool = m_pool[k];
  if (m_poolUsed[k] == pool.size()) pool.push_back(newObject(kind));
  return pool[m_poolUsed[k]++].get();
}

void HtmlParser::append(HtmlTag* object) {
  if (!m_allTags.empty()) m_allTags.back()->m_successor = object;
  m_allTags.push_back(object);
}

HtmlTableCell* HtmlParser::currentCell(HtmlTable** table, HtmlTableRow** row) const {
  if (m_tableStack.empty()) return nullptr;
  HtmlTable* top = m_tableStack.back();
  if (top->m_tableRows.empty()) return nullptr;
  HtmlTableRow* lastRow = top->m_tableRows.back();
  if (lastRow->m_rowCells.empty()) return nullptr;
  *table = top;
  *row = lastRow;
  return lastRow->m_rowCells.back();
}

const std::string& HtmlParser::InnerTextOf(const HtmlTag& tag) {
  if (tag.TextNode()) return tag.RawSource();
  const HtmlTag* next = tag.Successor();
  if (next != nullptr && next->TextNode() && next->Enclosing() != tag.Enclosing()) return next->RawSource();
  return tag.RawSource();
}

void HtmlParser::fillResultStrings() {
  for (const HtmlTag* tag : m_allTags) {
    if (tag->Successor() != nullptr && tag->Successor()->TextNode() && SameTextAscii(tag->TagName(), "title")) {
      m_documentTitle = InnerTextOf(*tag->Successor());
      break;
    }
  }
  bool haveAuthor = false;
  bool haveDescription = false;
  bool haveKeywords = false;
  for (const HtmlMetaTag* meta : m_metaList) {
    if (!SameTextAscii(meta->TagName(), "meta")) continue;
    const std::string& name = meta->AttrValue("name");
    if (!haveAuthor && SameTextAscii(name, "author")) {
      m_metaAuthor = meta->AttrValue("content");
      haveAuthor = true;
    } else if (!haveDescription && SameTextAscii(name, "description")) {
      m_metaDescription = meta->AttrValue("content");
      haveDescription = true;
    } else if (!haveKeywords && SameTextAscii(name, "keywords")) {
      m_metaKeywords = meta->AttrValue("content");
      haveKeywords = true;
    }
  }
}

void HtmlParser::FireTag(const HtmlTag& tag) {
  if (OnParseTag) OnParseTag(*this, tag);
}
void HtmlParser::FireAttribute(const HtmlTag& tag, const HtmlAttribute& attribute) {
  if (OnParseAttribute) OnParseAttribute(*this, tag, attribute);
}
void HtmlParser::FireForm(const HtmlForm& form) {
  if (OnParseForm) OnParseForm(*this, form);
}
void HtmlParser::FireLink(const HtmlLink& link) {
  if (OnParseLink) OnParseLink(*this, link);
}
void HtmlParser::FireFrame(const HtmlFrame& frame) {
  if (OnParseFrame) OnParseFrame(*this, frame);
}
void HtmlParser::FireImage(const HtmlImage& image) {
  if (OnParseImage) OnParseImage(*this, image);
}
void HtmlParser::FireFormControl(const HtmlForm& form, const HtmlTag& control) {
  if (OnParseFormControl) OnParseFormControl(*this, form, control);
}
void HtmlParser::FireTable(const HtmlTable& table) {
  if (OnParseTable) OnParseTable(*this, table);
}
void HtmlParser::FireTableRow(const HtmlTable& table, const HtmlTableRow& row) {
  if (OnParseTableRow) OnParseTableRow(*this, table, row);
}
void HtmlParser::FireTableCell(const HtmlTable& table, const HtmlTableRow& row, const HtmlTableCell& cell) {
  if (OnParseTableCell) OnParseTableCell(*this, table, row, cell);
}
void HtmlParser::FireTableCellTag(const HtmlTable& table, const HtmlTableRow& row, const HtmlTableCell& cell,
                                  const HtmlTag& tag) {
  if (OnParseTableCellTag) OnParseTableCellTag(*this, table, row, cell, tag);
}
void HtmlParser::FireMetaTag(const HtmlMetaTag& meta) {
  if (OnParseMetaTag) OnParseMetaTag(*this, meta);
}
