// Feeds arbitrary bytes to the tokenizer (all events attached) and to every text
// conversion, and checks the properties that must hold for any input.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "html/htmlparser.h"
#include "html/textconv.h"

namespace {

// Records the event sequence compactly so that two parses can be compared.
class LoggingParser : public HtmlParser {
 public:
  explicit LoggingParser(bool bulk) {
    SetBulkScan(bulk);
    OnParseTag = [this](HtmlParser& sender, const HtmlTag& t) {
      add('T', t);
      (void)HtmlParser::InnerTextOf(t);
      if (t.Enclosing() != nullptr && t.Enclosing()->OwnerParser() != &sender) std::abort();
    };
    OnParseAttribute = [this](HtmlParser&, const HtmlTag& t, const HtmlAttribute& a) {
      if (a.OwnerTag != &t) std::abort();
      log += 'A';
      log += a.AttrName;
      log += '=';
      log += a.AttrValue;
      log += '\n';
    };
    OnParseLink = [this](HtmlParser&, const HtmlLink& l) {
      log += 'L';
      log += l.Href();
      log += '\n';
    };
    OnParseForm = [this](HtmlParser&, const HtmlForm& f) { add('F', f); };
    OnParseFormControl = [this](HtmlParser&, const HtmlForm& f, const HtmlTag& c) { add('C', c); };
    OnParseImage = [this](HtmlParser&, const HtmlImage& i) { add('I', i); };
    OnParseFrame = [this](HtmlParser&, const HtmlFrame& f) { add('R', f); };
    OnParseMetaTag = [this](HtmlParser&, const HtmlMetaTag& m) { add('M', m); };
    OnParseTable = [this](HtmlParser&, const HtmlTable& t) { add('B', t); };
    OnParseTableRow = [this](HtmlParser&, const HtmlTable&, const HtmlTableRow& r) { add('W', r); };
    OnParseTableCell = [this](HtmlParser&, const HtmlTable&, const HtmlTableRow&, const HtmlTableCell& c) {
      add('D', c);
    };
    OnParseTableCellTag = [this](HtmlParser&, const HtmlTable&, const HtmlTableRow& r, const HtmlTableCell& c,
                                 const HtmlTag& t) {
      if (r.RowCells().empty() || r.RowCells().back() != &c) std::abort();
      add('X', t);
    };
  }

  std::string log;

 private:
  void add(char kind, const HtmlTag& t) {
    log += kind;
    log += t.TagName();
    log += '|';
    log += t.RawSource();
    log += '|';
    log += std::to_string(t.AfterPos());
    log += '\n';
  }
};

void checkConversions(std::string_view text) {
  const std::string decoded = DecodeReferences(text);
  if (decoded.size() > text.size()) std::abort();  // references only ever shrink
  const std::string decoded8 = DecodeReferences8(text);
  if (text.find('&') == std::string_view::npos && decoded8 != text) std::abort();
  (void)Utf8ToWide(text);
  (void)Utf8ToWide(decoded);
  if (Utf8ToCp1252(Cp1252ToUtf8(text)) != text) std::abort();
  for (const int codePage : {1251, 1252, 932, 936, 949, 950, 50220, 51932, 65000, 20866, 37}) {
    const std::string utf8 = CodePageToUtf8(text, codePage);
    (void)Utf8ToWide(utf8);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t flags = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  static LoggingParser bulk(true);
  static LoggingParser single(false);
  for (LoggingParser* p : {&bulk, &single}) {
    p->ParseMethod = static_cast<HtmlParseMethod>(flags % 3);
    p->IncludeClosingTags = (flags & 4) != 0;
    p->log.clear();
    p->ParseDocument(text);  // static parsers also exercise object recycling across inputs
  }
  // The run-copying fast path must behave exactly like the byte-at-a-time path.
  if (bulk.log != single.log || bulk.AllTags().size() != single.AllTags().size() ||
      bulk.DocumentTitle() != single.DocumentTitle()) {
    std::abort();
  }
  for (const HtmlTag* t : bulk.AllTags()) {
    (void)HtmlParser::InnerTextOf(*t);
    for (const HtmlAttribute* a : t->AttrList()) {
      if (a->OwnerTag != t) std::abort();
    }
  }
  (void)DecodeReferences8(bulk.DocumentTitle());
  checkConversions(text);
  return 0;
}
