#include "html/htmlparser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string nameOf(const HtmlTag* tag) { return tag == nullptr ? "-" : tag->TagName(); }

// Attaches every event and writes one line per event, so that a case can state the whole
// sequence the tokenizer raised.
struct Recorder {
  std::vector<std::string> log;

  void attach(HtmlParser& p) {
    p.OnParseTag = [this](HtmlParser&, const HtmlTag& t) {
      if (t.TextNode()) {
        log.push_back("text '" + t.RawSource() + "' in " + nameOf(t.Enclosing()));
      } else {
        log.push_back("tag " + t.TagName() + " in " + nameOf(t.Enclosing()));
      }
    };
    p.OnParseAttribute = [this](HtmlParser&, const HtmlTag& t, const HtmlAttribute& a) {
      log.push_back("attr " + a.AttrName + "='" + a.AttrValue + "'");
      EXPECT_EQ(a.OwnerTag, &t);
    };
    p.OnParseLink = [this](HtmlParser&, const HtmlLink& l) { log.push_back("link " + l.Href()); };
    p.OnParseForm = [this](HtmlParser&, const HtmlForm&) { log.push_back("form"); };
    p.OnParseFormControl = [this](HtmlParser&, const HtmlForm& f, const HtmlTag& c) {
      log.push_back("control " + c.TagName() + " of " + f.TagName());
    };
    p.OnParseImage = [this](HtmlParser&, const HtmlImage& i) { log.push_back("image " + i.AttrValue("src")); };
    p.OnParseFrame = [this](HtmlParser&, const HtmlFrame& f) { log.push_back("frame " + f.TagName()); };
    p.OnParseMetaTag = [this](HtmlParser&, const HtmlMetaTag&) { log.push_back("meta"); };
    p.OnParseTable = [this](HtmlParser&, const HtmlTable&) { log.push_back("table"); };
    p.OnParseTableRow = [this](HtmlParser&, const HtmlTable&, const HtmlTableRow& r) {
      log.push_back("row " + r.TagName());
    };
    p.OnParseTableCell = [this](HtmlParser&, const HtmlTable&, const HtmlTableRow&, const HtmlTableCell&) {
      log.push_back("cell");
    };
    p.OnParseTableCellTag = [this](HtmlParser&, const HtmlTable&, const HtmlTableRow&, const HtmlTableCell&,
                                   const HtmlTag& t) {
      log.push_back("celltag " + (t.TextNode() ? "'" + t.RawSource() + "'" : t.TagName()));
    };
  }
};

struct EventCase {
  const char* input;
  std::vector<std::string> events;
};

void runCases(const std::vector<EventCase>& cases, HtmlParseMethod method) {
  for (const EventCase& c : cases) {
    SCOPED_TRACE(c.input);
    HtmlParser parser;
    parser.ParseMethod = method;
    Recorder rec;
    rec.attach(parser);
    parser.ParseDocument(c.input);
    EXPECT_EQ(rec.log, c.events);
  }
}

TEST(HtmlParserEvents, TagsTextAndLinks) {
  runCases(
      {
          {"<a href=x/>t<b>", {"attr href='x'", "tag a in -", "link x", "text 't' in -", "tag b in -"}},
          {"<A HREF='y'>", {"attr HREF='y'", "tag A in -", "link y"}},
          {"<p>a<!-- <a href=z> -->b<i>", {"tag p in -", "text 'a' in p", "tag !-- in p", "text 'b' in !--", "tag i in !--"}},
          // The text after the last '>' is never reported, nor an unfinished tag; text before
          // the '<' of an unfinished tag is.
          {"<b>tail", {"tag b in -"}},
          {"x<b>y<i", {"text 'x' in -", "tag b in -", "text 'y' in b"}},
          {"<title>A<b>B</b></title>",
           {"tag title in -", "text 'A' in title", "tag b in title", "text 'B' in b"}},
          {"<p a=\"1\"b=\"2\">", {"attr b='2'", "tag p in -"}},
          // Stray '<' inside a tag and stray '>' outside are dropped.
          {"<b<i>x>y<u>", {"tag bi in -", "text 'xy' in bi", "tag u in bi"}},
          // A script body, attributes included, is swallowed up to "</script>".
          {"<script src=s>if (a<b) w('<a href=s>')</script><a href=ok>",
           {"tag script in -", "attr href='ok'", "tag a in script", "link ok"}},
          // Any closing lexeme ends a skipped region: "-->" ends a script body.
          {"<script>x --> <a href=in></script>", {"tag script in -", "text ' ' in script", "attr href='in'",
                                                   "tag a in script", "link in"}},
          {"<!DOCTYPE html><br>x<img src=i.png>",
           {"tag !DOCTYPE in -", "tag br in -", "text 'x' in -", "attr src='i.png'", "tag img in -", "image i.png"}},
          {"<frameset><frame src=f><iframe src=g></iframe>",
           {"tag frameset in -", "attr src='f'", "tag frame in frameset", "frame frame", "attr src='g'",
            "tag iframe in frameset", "frame iframe"}},
      },
      HtmlParseMethod::pmAll);
}

// Attributes are reported first, then the tag, then the event of its kind.
TEST(HtmlParserEvents, OrderOfLinkEvents) {
  runCases({{"<a href=x>", {"attr href='x'", "tag a in -", "link x"}}}, HtmlParseMethod::pmAll);
}

TEST(HtmlParserEvents, CommentLexemes) {
  struct Case {
    const char* input;
    const char* source;  // RawSource of the first tag
    std::size_t links;
  };
  const Case cases[] = {
      {"<!-- x --><a href=z>", "!--", 1},
      // The checker does not retry the second '<', so this is an ordinary tag.
      {"<<!-- x -->", "!-- x --", 0},
      // "--->" does not complete "-->": the comment goes on swallowing.
      {"<!-- x ---><a href=z>", "", 0},
      {"<!-- x ---><a href=z> -->", "!--", 0},
      // Nor does "---->": the dash that breaks "-->" is not tried again as its start.
      {"<!---->", "", 0},
      {"<!-- x -----><a href=z>", "!--", 1},
      // An unterminated comment swallows the rest of the page.
      {"<!-- <a href=z>", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    HtmlParser parser;
    parser.ParseMethod = HtmlParseMethod::pmAll;
    parser.ParseDocument(c.input);
    EXPECT_EQ(parser.LinksList().size(), c.links);
    if (*c.source == 0) {
      EXPECT_TRUE(parser.AllTags().empty());
    } else {
      ASSERT_FALSE(parser.AllTags().empty());
      EXPECT_EQ(parser.AllTags()[0]->RawSource(), c.source);
    }
  }
}

TEST(HtmlParserEvents, Attributes) {
  struct Case {
    const char* input;
    std::vector<std::string> attrs;  // name=value; the value is empty when there is none
  };
  const Case cases[] = {
      {"<p a=1 b='2' c=\"x y\">", {"a=1", "b=2", "c=x y"}},
      {"<p a = b>", {"a=b"}},
      {"<p a b>", {"a=", "b="}},
      {"<p a=\"\" b>", {"a=", "b="}},
      {"<p a=\"it's\" b='say \"hi\"'>", {"a=it's", "b=say \"hi\""}},
      {"<p a='x=y'>", {"a=x=y"}},
      // A quote that opens no value resets everything read so far.
      {"<p \"x\" y>", {"y="}},
      {"<p a\"b\">", {}},
      // '=' without a name makes the value a name.
      {"<p =v>", {"v="}},
      {"<p a=>", {}},
      {"<p a=x\"y\" z>", {"a=xy", "z="}},
      {"<p a='x\n y'>", {"a=x\n y"}},  // only the tag's source drops line breaks
      {"<p\ta=1\r\nb=2>", {"a=1", "b=2"}},
      {"<!doctype html public>", {}},
      {"<p a=\"unterminated>", {"a=unterminated"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    HtmlParser parser;
    parser.ParseDocument(c.input);
    ASSERT_EQ(parser.AllTags().size(), 1u);
    std::vector<std::string> got;
    for (const HtmlAttribute* a : parser.AllTags()[0]->AttrList()) {
      got.push_back(a->AttrName + "=" + a->AttrValue);
      EXPECT_EQ(a->ValuePos == 0, a->AttrValue.empty());
    }
    EXPECT_EQ(got, c.attrs);
  }
}

TEST(HtmlParserEvents, AttributeDetails) {
  HtmlParser parser;
  parser.ParseDocument("<A HREF=\"Page.html\" Class=x title>");
  const HtmlTag& tag = *parser.AllTags().at(0);
  EXPECT_EQ(tag.AttrValue("href"), "Page.html");  // names ignore case, values keep it
  EXPECT_EQ(tag.AttrValue("CLASS"), "x");
  EXPECT_EQ(tag.AttrValue("missing"), "");
  ASSERT_NE(tag.FindAttribute("title"), nullptr);
  EXPECT_EQ(tag.FindAttribute("title")->ValuePos, 0);
  EXPECT_EQ(tag.FindAttribute("href")->ValuePos, 10);  // the 'P' of Page.html
  EXPECT_EQ(tag.RawSource(), "A HREF=\"Page.html\" Class=x title");
  EXPECT_EQ(tag.AfterPos(), 35);
}

TEST(HtmlParserEvents, Tables) {
  runCases({{"<table><tr><td>x<a href=l>y</a></td></tr></table><p>",
             {"tag table in -", "table", "tag tr in table", "row tr", "tag td in tr", "cell", "text 'x' in td",
              "celltag 'x'", "attr href='l'", "tag a in td", "link l", "celltag a", "text 'y' in a", "celltag 'y'",
              "tag p in -"}},
            // Cells and rows outside a table raise only OnParseTag.
            {"<td><tr>", {"tag td in -", "tag tr in td"}}},
           HtmlParseMethod::pmAll);

  HtmlParser parser;
  parser.ParseDocument("<table><tr><td>1<td>2<th><td>3</table>");
  ASSERT_EQ(parser.TablesList().size(), 1u);
  const HtmlTable& table = *parser.TablesList()[0];
  ASSERT_EQ(table.TableRows().size(), 2u);
  EXPECT_EQ(table.TableRows()[0]->RowCells().size(), 2u);
  EXPECT_EQ(table.TableRows()[1]->RowCells().size(), 1u);
  EXPECT_TRUE(parser.TableStack().empty());
}

TEST(HtmlParserEvents, FormControls) {
  runCases({{"<form><div><input name=q></div><select></form><textarea>",
             {"tag form in -", "form", "tag div in form", "attr name='q'", "tag input in div", "control input of form",
              "tag select in form", "control select of form", "tag textarea in -"}},
            {"<input><form></form><input>", {"tag input in -", "tag form in -", "form", "tag input in -"}}},
           HtmlParseMethod::pmTagsOnly);
}

TEST(HtmlParserEvents, ClosingTagsAndLinks) {
  HtmlParser parser;
  parser.ParseMethod = HtmlParseMethod::pmAll;
  parser.ParseDocument("<a href=x>1</a >2<i>");
  ASSERT_NE(parser.CurrentLink(), nullptr);  // "a " is not "a"
  EXPECT_EQ(parser.CurrentLink()->LinkTags().size(), 3u);

  parser.ParseDocument("<a href=x>1</a>2<i>");
  EXPECT_EQ(parser.CurrentLink(), nullptr);
  ASSERT_EQ(parser.LinksList().size(), 1u);
  EXPECT_EQ(parser.LinksList()[0]->LinkTags().size(), 1u);

  // A link opened inside another is recorded in the outer one.
  parser.ParseDocument("<a href=1>x<a href=2>y</a><b>");
  ASSERT_EQ(parser.LinksList().size(), 2u);
  EXPECT_EQ(parser.LinksList()[0]->LinkTags().size(), 2u);
  EXPECT_EQ(parser.LinksList()[1]->LinkTags().size(), 1u);
}

TEST(HtmlParserEvents, IncludeClosingTags) {
  HtmlParser parser;
  parser.ParseMethod = HtmlParseMethod::pmAll;
  parser.IncludeClosingTags = true;
  Recorder rec;
  rec.attach(parser);
  parser.ParseDocument("<div><b>x</b></div><i>");
  std::vector<std::string> all;
  for (const HtmlTag* t : parser.AllTags()) {
    all.push_back((t->EndTag() ? "/" : "") + (t->TextNode() ? "'" + t->RawSource() + "'" : t->TagName()) + " in " +
                  nameOf(t->Enclosing()));
  }
  EXPECT_EQ(all, (std::vector<std::string>{"div in -", "b in div", "'x' in b", "/b in div", "/div in -", "i in -"}));
  EXPECT_EQ(rec.log.size(), 4u);  // closing-tag objects raise nothing
  for (std::size_t i = 0; i + 1 < parser.AllTags().size(); ++i) {
    EXPECT_EQ(parser.AllTags()[i]->Successor(), parser.AllTags()[i + 1]);
  }
  EXPECT_EQ(parser.AllTags().back()->Successor(), nullptr);
}

TEST(HtmlParserEvents, ParseMethods) {
  // Tags only, but the text of a link is still read.
  runCases({{"x<a href=1>y<b>z</b></a>w<i>",
             {"attr href='1'", "tag a in -", "link 1", "text 'y' in a", "tag b in a", "text 'z' in b", "tag i in -"}},
            {"a/b<i>", {"tag i in -"}},
            // A '/' read while text is not wanted must not turn up in a later link's text.
            {"1/2<a>t</a><i>", {"tag a in -", "link ", "text 't' in a", "tag i in -"}}},
           HtmlParseMethod::pmTagsOnly);
  runCases({{"x<b>y</b>z<i>", {"text 'x' in -", "text 'y' in -", "text 'z' in -"}}}, HtmlParseMethod::pmTextOnly);
  runCases({{"a/b<i>", {"text 'a/b' in -", "tag i in -"}}}, HtmlParseMethod::pmAll);
}

TEST(HtmlParserResults, TitleMetaAndInnerText) {
  HtmlParser parser;
  parser.ParseMethod = HtmlParseMethod::pmAll;
  parser.ParseDocument(
      "<html><head><TITLE>My &amp; Page</TITLE>"
      "<meta name=\"Description\" content=\"first\"><meta name=author content=Ann>"
      "<meta name=keywords content=k1><meta name=description content=second></head><body>x<p>");
  EXPECT_EQ(parser.DocumentTitle(), "My &amp; Page");
  EXPECT_EQ(parser.MetaDescription(), "first");
  EXPECT_EQ(parser.MetaAuthor(), "Ann");
  EXPECT_EQ(parser.MetaKeywords(), "k1");
  EXPECT_EQ(parser.MetaList().size(), 4u);

  parser.ParseDocument("<title></title><p>x<b>");
  EXPECT_EQ(parser.DocumentTitle(), "");
  EXPECT_EQ(parser.MetaAuthor(), "");

  // InnerTextOf: the text right after a tag when it sits in another element, else the source.
  parser.ParseDocument("<title>T</title><b>x</b>y<i>");
  const auto& all = parser.AllTags();
  ASSERT_EQ(all.size(), 6u);
  EXPECT_EQ(HtmlParser::InnerTextOf(*all[0]), "T");     // title -> its text
  EXPECT_EQ(HtmlParser::InnerTextOf(*all[1]), "T");     // a text object -> itself
  EXPECT_EQ(HtmlParser::InnerTextOf(*all[4]), "y");     // text object y
  EXPECT_EQ(HtmlParser::InnerTextOf(*all[5]), "i");     // no successor -> own source
}

TEST(HtmlParserLifecycle, ObjectsAreRecycledCleanly) {
  HtmlParser parser;
  parser.ParseMethod = HtmlParseMethod::pmAll;
  parser.ParseDocument(
      "<form><input></form><a href=one title=t>x<b>y</b></a><table><tr><td>c</table><meta name=author content=A>"
      "<title>T</title><p>");
  ASSERT_EQ(parser.LinksList().size(), 1u);
  const std::size_t objects = parser.AllTags().size();

  parser.ParseDocument("<a>z</a><form></form><table><tr><td></td></tr></table><p>");
  ASSERT_EQ(parser.LinksList().size(), 1u);
  const HtmlLink& link = *parser.LinksList()[0];
  EXPECT_TRUE(link.AttrList().empty());
  EXPECT_EQ(link.Href(), "");
  EXPECT_EQ(link.LinkTags().size(), 1u);
  EXPECT_TRUE(parser.FormsList()[0]->FormControls().empty());
  EXPECT_EQ(parser.TablesList()[0]->TableRows()[0]->RowCells()[0]->CellTags().size(), 0u);
  EXPECT_EQ(parser.DocumentTitle(), "");
  EXPECT_EQ(parser.MetaAuthor(), "");
  EXPECT_LT(parser.AllTags().size(), objects);
  for (const HtmlTag* t : parser.AllTags()) {
    EXPECT_EQ(t->OwnerParser(), &parser);
    EXPECT_FALSE(t->EndTag());
  }

  parser.ParseDocument("");
  EXPECT_TRUE(parser.AllTags().empty());
  EXPECT_TRUE(parser.LinksList().empty());

  // A page larger than what is kept for recycling, then a small one again.
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "<a href=" + std::to_string(i) + " class=c>t</a>";
  parser.ParseDocument(big);
  ASSERT_EQ(parser.LinksList().size(), 20000u);
  EXPECT_EQ(parser.LinksList().back()->Href(), "19999");
  parser.ParseDocument("<a href=small>u</a><p>");
  ASSERT_EQ(parser.LinksList().size(), 1u);
  EXPECT_EQ(parser.LinksList()[0]->Href(), "small");
  EXPECT_EQ(parser.AllTags().size(), 3u);
}

TEST(HtmlParserLifecycle, ReentrantParseIsRefused) {
  HtmlParser parser;
  parser.Tag = 7;
  bool threw = false;
  parser.OnParseLink = [&](HtmlParser& sender, const HtmlLink&) {
    EXPECT_EQ(sender.Tag, 7);
    try {
      sender.ParseDocument("<a href=again>");
    } catch (const std::logic_error&) {
      threw = true;
    }
  };
  parser.ParseDocument("<a href=x><p>");
  EXPECT_TRUE(threw);
  EXPECT_EQ(parser.LinksList().size(), 1u);

  // A handler that throws leaves the parser usable.
  parser.OnParseLink = [](HtmlParser&, const HtmlLink&) { throw std::runtime_error("stop"); };
  EXPECT_THROW(parser.ParseDocument("<a href=x>"), std::runtime_error);
  parser.OnParseLink = nullptr;
  parser.ParseDocument("<a href=y><b>");
  EXPECT_EQ(parser.LinksList().size(), 1u);
}

TEST(HtmlParserLifecycle, HandlersCopyBetweenParsers) {
  HtmlParser main;
  std::vector<int> slots;
  main.OnParseLink = [&](HtmlParser& sender, const HtmlLink&) { slots.push_back(sender.Tag); };
  HtmlParser slot1;
  HtmlParser slot2;
  slot1.Tag = 1;
  slot2.Tag = 2;
  slot1.OnParseLink = slot2.OnParseLink = main.OnParseLink;
  slot2.ParseDocument("<a href=x>");
  slot1.ParseDocument("<a href=y>");
  EXPECT_EQ(slots, (std::vector<int>{2, 1}));
}

// Every prefix of a page that uses each construct must parse without reading past its end
// (the sanitizer build turns such reads into failures), and must report no more than the
// whole page does.
TEST(HtmlParserRobustness, EveryPrefix) {
  const std::string page =
      "<!DOCTYPE html><html><head><title>A<b>B</b> &amp; C</title><meta name=author content='x y'>"
      "<script type=\"text/javascript\">if (a<b && c>d) x='</scr'+'ipt>';</script><!-- note <a href=no> -->"
      "</head><body><form action=/s><input name=q value=\"1\"/><select></select></form>"
      "<table><tr><th>h<td><a href=\"/a?b=1&c=2\">link</a ><td><img src=i.png/></tr></table>"
      "<a href=x/><a HREF='y'>t</a><p a=\"1\"b=\"2\">p</p><frame src=f><iframe src=g></iframe>text";
  HtmlParser full;
  full.ParseMethod = HtmlParseMethod::pmAll;
  full.ParseDocument(page);
  const std::size_t fullLinks = full.LinksList().size();
  EXPECT_EQ(fullLinks, 3u);

  HtmlParser parser;
  parser.ParseMethod = HtmlParseMethod::pmAll;
  parser.IncludeClosingTags = true;
  Recorder rec;
  rec.attach(parser);
  for (std::size_t cut = 0; cut <= page.size(); ++cut) {
    const std::string prefix = page.substr(0, cut);  // own buffer, so ASan sees its end
    parser.ParseDocument(prefix);
    EXPECT_LE(parser.LinksList().size(), fullLinks);
    for (const HtmlTag* t : parser.AllTags()) (void)HtmlParser::InnerTextOf(*t);
    const std::string suffix = page.substr(cut);
    parser.ParseDocument(suffix);
  }
}

TEST(HtmlParserRobustness, BadInput) {
  const struct {
    const char* why;
    std::string input;
  } cases[] = {
      {"NUL bytes everywhere", std::string("<a\0href=x>\0<b\0>", 16)},
      {"bytes that are not UTF-8", "<a href='\xff\xfe\x80'>\xc3<\xe2\x82>"},
      {"unterminated attribute quote", "<a href='x"},
      {"unterminated comment", "<!--" + std::string(100000, 'x')},
      {"unterminated script", "<script>" + std::string(100000, '<')},
      {"a megabyte without '>'", "<a href=" + std::string(1 << 20, 'x')},
      {"a megabyte of '<'", std::string(1 << 20, '<')},
      {"a megabyte of '>'", std::string(1 << 20, '>')},
      {"many closing tags with nothing open", [] {
         std::string s;
         for (int i = 0; i < 10000; ++i) s += "</a></table></>";
         return s;
       }()},
      {"lone slashes", "/<//>/</ /><a/b/>/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    HtmlParser parser;
    parser.ParseMethod = HtmlParseMethod::pmAll;
    parser.IncludeClosingTags = true;
    Recorder rec;
    rec.attach(parser);
    parser.ParseDocument(c.input);
    SUCCEED();
  }
}

// The tokenizer copies ordinary bytes in runs; it must report exactly what the
// byte-at-a-time path reports, on markup-heavy text and on arbitrary bytes alike.
TEST(HtmlParserRobustness, RunCopyingMatchesByteAtATime) {
  struct ByteParser : HtmlParser {
    explicit ByteParser(bool bulk) { SetBulkScan(bulk); }
  };
  const char kAlphabet[] = "<>/-!=\"' \n\tabcrsiptAHREF&;#x\x80\xff";
  std::uint32_t state = 12345;
  std::vector<std::string> inputs = {
      "<!DOCTYPE html><title>A<b>B</b></title><script>a<b</script><!-- x --><a href=1>t</a><p a=\"1\"b=2>",
      "<!-- x ---><a href=z>--><ScRiPt>-->-<</SCRIPT><a/b/>/c",
  };
  for (int n = 0; n < 300; ++n) {
    std::string s;
    for (int k = 0; k < 200; ++k) {
      state = state * 1664525u + 1013904223u;
      s.push_back(kAlphabet[(state >> 16) % (sizeof(kAlphabet) - 1)]);
    }
    inputs.push_back(s);
  }
  for (const std::string& input : inputs) {
    SCOPED_TRACE(input);
    for (const HtmlParseMethod method : {HtmlParseMethod::pmAll, HtmlParseMethod::pmTagsOnly}) {
      ByteParser bulk(true);
      ByteParser single(false);
      Recorder bulkLog;
      Recorder singleLog;
      bulkLog.attach(bulk);
      singleLog.attach(single);
      bulk.ParseMethod = single.ParseMethod = method;
      bulk.ParseDocument(input);
      single.ParseDocument(input);
      ASSERT_EQ(bulkLog.log, singleLog.log);
    }
  }
}

// Form controls deep inside a form find it without walking the whole chain of open
// elements; a quadratic walk would make this case hang.
TEST(HtmlParserRobustness, DeeplyNestedFormControls) {
  std::string page = "<form>";
  for (int i = 0; i < 50000; ++i) page += "<div>";
  for (int i = 0; i < 50000; ++i) page += "<input>";
  HtmlParser parser;
  std::size_t controls = 0;
  parser.OnParseFormControl = [&](HtmlParser&, const HtmlForm&, const HtmlTag&) { ++controls; };
  parser.ParseDocument(page);
  EXPECT_EQ(controls, 50000u);
  EXPECT_EQ(parser.FormsList()[0]->FormControls().size(), 50000u);
}

}  // namespace
