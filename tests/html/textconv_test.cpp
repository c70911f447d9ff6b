#include "html/textconv.h"

#include <gtest/gtest.h>

#include <string>

#include "html/charsets.h"
#include "html/entities.h"

namespace {

TEST(Entities, TableHoldsTheHtml4Names) {
  ASSERT_EQ(EntityCount(), 252u);
  for (std::size_t i = 1; i < EntityCount(); ++i) EXPECT_LT(EntityName(i - 1), EntityName(i));
  const struct {
    const char* name;
    int codePoint;
  } cases[] = {
      {"nbsp", 0xA0}, {"yuml", 0xFF},   {"amp", '&'},      {"quot", '"'},    {"lt", '<'},
      {"fnof", 402},  {"Omega", 0x3A9}, {"sigmaf", 0x3C2}, {"lang", 0x2329}, {"rang", 0x232A},
      {"euro", 0x20AC}, {"zwnj", 0x200C}, {"zwj", 0x200D}, {"lrm", 0x200E},  {"rlm", 0x200F},
      {"diams", 0x2666}, {"Prime", 0x2033}, {"prime", 0x2032},
      {"apos", -1},    // not an HTML 4.01 name
      {"AMP", -1},     // names are case-sensitive
      {"", -1},        {"nbsp ", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LookupEntity(c.name), c.codePoint);
  }
}

TEST(Charsets, LookupCodePage) {
  const struct {
    const char* name;
    int codePage;
  } cases[] = {
      {"windows-1251", 1251},
      {"utf-8", 0},           // not in the table
      {"Windows-1251", 0},    // names compare byte for byte
      {"iso-2022-jp", 50220}, // listed twice; the first sorted line wins
      {"iso-8859-1", 28591},  {"iso-8859-15", 28605}, {"koi8-r", 20866}, {"shift_jis", 932},
      {"Windows-1252", 1252}, {"windows-1252", 0},    {"big5", 950},     {"gb2312", 936},
      {"x-mac-turkish", 10081}, {"", 0}, {"iso-8859-1@@@28591", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LookupCodePage(c.name), c.codePage);
  }
  const auto& list = CharsetList();
  EXPECT_EQ(list.size(), 117u);  // no exact duplicates among the stored lines
  EXPECT_EQ(list.front(), "ASMO-708@@@708");
  EXPECT_EQ(list.back(), "x-mac-turkish@@@10081");
}

TEST(CodePageToUtf8, Conversions) {
  const struct {
    const char* why;
    std::string bytes;
    int codePage;
    std::string utf8;
  } cases[] = {
      {"Cyrillic word in Windows-1251", "\xCF\xF0\xE8\xE2\xE5\xF2", 1251, "Привет"},
      {"the same word in KOI8-R", "\xF0\xD2\xC9\xD7\xC5\xD4", 20866, "Привет"},
      {"Latin-1", "caf\xE9", 28591, "café"},
      {"Windows-1252 euro and an undefined byte", "\x80\x81", 1252, "€\xC2\x81"},
      {"Shift_JIS", "\x93\xFA\x96\x7B", 932, "日本"},
      {"ISO-2022-JP with its escapes", "\x1B$BF|K\\\x1B(B", 50220, "日本"},
      {"EUC-KR", "\xC7\xD1", 51949, "한"},
      {"EBCDIC", "\xC1\xC2", 37, "AB"},
      {"a character beyond U+FFFF as two separate surrogate halves", "+2D3eAA-", 65000,
       "\xED\xA0\xBD\xED\xB8\x80"},
      {"a lead byte cut off at the end", "A\x93", 932, "A\xEF\xBF\xBD"},
      {"an undefined byte", "A\x80" "B", 20127, "A\xEF\xBF\xBD" "B"},
      {"empty input", "", 1251, ""},
      {"UTF-16 is no 8-bit code page", "ab", 1200, ""},
      {"unknown code page", "ab", 12345, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(CodePageToUtf8(c.bytes, c.codePage), c.utf8);
  }
}

// Every code page the charset table names either converts or yields nothing; none throws
// or reads past short or truncated input.
TEST(CodePageToUtf8, EveryTableCodePage) {
  const std::string samples[] = {"A", "\xFF", "\x1B$B", "\x1B", "+", "\x0E", std::string("\0\x80", 2)};
  for (const std::string& line : CharsetList()) {
    const int cp = std::stoi(line.substr(line.find("@@@") + 3));
    SCOPED_TRACE(line);
    for (const std::string& s : samples) {
      const std::string out = CodePageToUtf8(s, cp);
      if (!CodePageAvailable(cp)) {
        EXPECT_EQ(out, "");
      }
    }
  }
  EXPECT_TRUE(CodePageAvailable(1251));
  EXPECT_FALSE(CodePageAvailable(1200));
}

TEST(Cp1252, AllBytesRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_EQ(Utf8ToCp1252(utf8), all);
  EXPECT_EQ(CodePageToUtf8(all, 1252), utf8);
  EXPECT_EQ(DecodeReferences8(all), all);
  EXPECT_EQ(DecodeReferences8(all + "&amp;"), all + "&");
}

TEST(DecodeReferences, Table) {
  const struct {
    const char* input;
    const char* output;
  } cases[] = {
      {"AT&amp;T", "AT&T"},
      {"&AMP;", "&AMP;"},  // names are case-sensitive
      {"&#65;&#x42;&#X43;", "ABC"},
      {"&#x1F600;", "\xEF\x98\x80"},  // only the low 16 bits: U+F600
      {"&verylongname;", "&verylongname;"},
      {"&apos;", "&apos;"},
      {"&lang;&rang;", "\xE2\x8C\xA9\xE2\x8C\xAA"},
      {"&nbsp;", "\xC2\xA0"},
      {"&amp;amp;", "&amp;"},  // nothing is decoded twice
      {"&", "&"},
      {"&;", "&;"},
      {"&#;", "&#;"},
      {"&#x;", "&#x;"},
      {"&nbsp", "&nbsp"},
      {"&amp", "&amp"},
      {"&#0000000065;", "A"},    // 11 bytes between '&' and ';'
      {"&#00000000065;", "&#00000000065;"},  // 12 are too many
      {"&#  65;", "A"},          // leading blanks are allowed
      {"&#$41;&#0x41;&#+65;", "AAA"},
      {"&#-1;", "\xEF\xBF\xBF"},
      {"&#xFFFFFFFF;", "\xEF\xBF\xBF"},
      {"&#x100000000;", "&#x100000000;"},
      {"&#2147483647;", "\xEF\xBF\xBF"},
      {"&#2147483648;", "&#2147483648;"},
      {"&#65 ;", "&#65 ;"},
      {"&#xG;", "&#xG;"},
      {"&#x-41;", "&#x-41;"},
      {"a & b &lt; c", "a & b < c"},
      {"&&amp;;", "&&;"},
      {"&unknown;&gt;", "&unknown;>"},
      {"&#xD83D;", "\xED\xA0\xBD"},  // a lone surrogate half, encoded as it is
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(DecodeReferences(c.input), std::string(c.output));
  }
  EXPECT_EQ(DecodeReferences(std::string("&#0;", 4)), std::string("\0", 1));
}

TEST(DecodeReferences8, Table) {
  const struct {
    const char* input;
    const char* output;
  } cases[] = {
      {"AT&amp;T", "AT&T"},
      {"caf&eacute;", "caf\xE9"},
      {"&euro; 5", "\x80 5"},
      {"&Omega;", "?"},                     // not in Windows-1252
      {"&#x1F600;", "?"},
      {"&#xD83D;", "?"},
      {"Caf\xC3\xA9 &amp; x", "Caf\xC3\xA9 & x"},  // UTF-8 bytes come back unchanged
      {"\xE9t\xE9 &lt;", "\xE9t\xE9 <"},
      {"plain", "plain"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(DecodeReferences8(c.input), c.output);
  }
}

TEST(Utf8ToWide, Table) {
  const struct {
    const char* why;
    std::string input;
    std::u16string output;
  } cases[] = {
      {"ASCII", "Ab", u"Ab"},
      {"two bytes", "\xC3\xA9", u"\u00E9"},
      {"three bytes", "\xE2\x82\xAC", u"\u20AC"},
      {"four bytes", "\xF0\x9F\x98\x80", u"\U0001F600"},
      {"a continuation byte alone is read as itself", "\x80", u"\u0080"},
      {"continuation bytes are not checked", "\xC3" "A", std::u16string(1, static_cast<char16_t>(0xC3 * 64 + 0x41 - 0x3080))},
      {"cut off after the lead byte", "A\xE2", u"A\uFFFD"},
      {"cut off inside", "A\xF0\x9F\x98", u"A\uFFFD"},
      {"five bytes beyond U+10FFFF", "\xF8\x88\x80\x80\x80", u"\uFFFD"},
      {"six bytes", "\xFC\x84\x80\x80\x80\x80", u"\uFFFD"},
      {"the surrogate halves CodePageToUtf8 writes", "\xED\xA0\xBD\xED\xB8\x80", u"\xD83D\xDE00"},
      {"NUL", std::string("\0", 1), std::u16string(1, u'\0')},
      {"empty", "", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    EXPECT_EQ(Utf8ToWide(c.input), c.output);
  }
  EXPECT_EQ(Utf8ToWide(CodePageToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2", 1251)), u"Привет");
}

TEST(Utf8ToWide, EverySingleByteAndEveryCut) {
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    const std::u16string out = Utf8ToWide(one);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], b < 0xC0 ? static_cast<char16_t>(b) : u'\uFFFD') << b;
  }
  // Cut a mixed text at every point, each prefix in its own buffer so that the sanitizer
  // build catches any read past its end.
  const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xF8\x88\x80\x80\x80\xFC\x84\x80\x80\x80\x80z";
  for (std::size_t cut = 0; cut <= text.size(); ++cut) {
    const std::string prefix = text.substr(0, cut);
    (void)Utf8ToWide(prefix);
    (void)DecodeReferences(prefix);
    (void)DecodeReferences8(prefix);
    (void)Utf8ToCp1252(prefix);
  }
  const std::string refs = "&#x1F600;&amp;&#65;&lang;&#$41;";
  for (std::size_t cut = 0; cut <= refs.size(); ++cut) {
    const std::string prefix = refs.substr(0, cut);
    EXPECT_LE(DecodeReferences(prefix).size(), prefix.size());
  }
}

}  // namespace
