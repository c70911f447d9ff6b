#include "html/charsets.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

constexpr std::string_view kSeparator = "@@@";

// The lines in the order they are kept in the program's resources.
constexpr std::array<std::string_view, 117> kCharsetLines{{
    "ASMO-708@@@708",
    "CP1026@@@1026",
    "CP870@@@870",
    "DOS-720@@@720",
    "DOS-862@@@862",
    "EUC-CN@@@51936",
    "IBM437@@@437",
    "Johab@@@1361",
    "Windows-1252@@@1252",
    "X-EBCDIC-Spain@@@20284",
    "big5@@@950",
    "cp866@@@866",
    "csISO2022JP@@@50221",
    "ebcdic-cp-us@@@37",
    "euc-jp@@@51932",
    "euc-kr@@@51949",
    "gb2312@@@936",
    "hz-gb-2312@@@52936",
    "ibm737@@@737",
    "ibm775@@@775",
    "ibm850@@@850",
    "ibm852@@@852",
    "ibm857@@@857",
    "ibm861@@@861",
    "ibm869@@@869",
    "iso-2022-jp@@@50220",
    "iso-2022-jp@@@50222",
    "iso-2022-kr@@@50225",
    "iso-8859-15@@@28605",
    "iso-8859-1@@@28591",
    "iso-8859-2@@@28592",
    "iso-8859-3@@@28593",
    "iso-8859-4@@@28594",
    "iso-8859-5@@@28595",
    "iso-8859-6@@@28596",
    "iso-8859-7@@@28597",
    "iso-8859-8-i@@@38598",
    "iso-8859-8@@@28598",
    "iso-8859-9@@@28599",
    "koi8-r@@@20866",
    "koi8-u@@@21866",
    "ks_c_5601-1987@@@949",
    "macintosh@@@10000",
    "shift_jis@@@932",
    "unicode@@@1200",
    "unicodeFFFE@@@1201",
    "us-ascii@@@20127",
    "utf-7@@@65000",
    "windows-1250@@@1250",
    "windows-1251@@@1251",
    "windows-1253@@@1253",
    "windows-1254@@@1254",
    "windows-1255@@@1255",
    "windows-1256@@@1256",
    "windows-1257@@@1257",
    "windows-1258@@@1258",
    "windows-874@@@874",
    "x-Chinese-CNS@@@20000",
    "x-Chinese-Eten@@@20002",
    "x-EBCDIC-Arabic@@@20420",
    "x-EBCDIC-CyrillicRussian@@@20880",
    "x-EBCDIC-CyrillicSerbianBulgarian@@@21025",
    "x-EBCDIC-DenmarkNorway@@@20277",
    "x-EBCDIC-FinlandSweden@@@20278",
    "x-EBCDIC-Germany@@@20273",
    "x-EBCDIC-Greek@@@20423",
    "x-EBCDIC-GreekModern@@@875",
    "x-EBCDIC-Hebrew@@@20424",
    "x-EBCDIC-Icelandic@@@20871",
    "x-EBCDIC-Italy@@@20280",
    "x-EBCDIC-JapaneseAndJapaneseLatin@@@50939",
    "x-EBCDIC-JapaneseAndKana@@@50930",
    "x-EBCDIC-JapaneseAndUSCanada@@@50931",
    "x-EBCDIC-JapaneseKatakana@@@20290",
    "x-EBCDIC-KoreanAndKoreanExtended@@@50933",
    "x-EBCDIC-KoreanExtended@@@20833",
    "x-EBCDIC-SimplifiedChinese@@@50935",
    "x-EBCDIC-Thai@@@20838",
    "x-EBCDIC-TraditionalChinese@@@50937",
    "x-EBCDIC-Turkish@@@20905",
    "x-EBCDIC-UK@@@20285",
    "x-Europa@@@29001",
    "x-IA5-German@@@20106",
    "x-IA5-Norwegian@@@20108",
    "x-IA5-Swedish@@@20107",
    "x-IA5@@@20105",
    "x-ebcdic-cp-us-euro@@@1140",
    "x-ebcdic-denmarknorway-euro@@@1142",
    "x-ebcdic-finlandsweden-euro@@@1143",
    "x-ebcdic-france-euro@@@1147",
    "x-ebcdic-germany-euro@@@1141",
    "x-ebcdic-icelandic-euro@@@1149",
    "x-ebcdic-international-euro@@@1148",
    "x-ebcdic-italy-euro@@@1144",
    "x-ebcdic-spain-euro@@@1145",
    "x-ebcdic-uk-euro@@@1146",
    "x-iscii-as@@@57006",
    "x-iscii-be@@@57003",
    "x-iscii-de@@@57002",
    "x-iscii-gu@@@57010",
    "x-iscii-ka@@@57008",
    "x-iscii-ma@@@57009",
    "x-iscii-or@@@57007",
    "x-iscii-pa@@@57011",
    "x-iscii-ta@@@57004",
    "x-iscii-te@@@57005",
    "x-mac-arabic@@@10004",
    "x-mac-ce@@@10029",
    "x-mac-chinesesimp@@@10008",
    "x-mac-chinesetrad@@@10002",
    "x-mac-cyrillic@@@10007",
    "x-mac-greek@@@10006",
    "x-mac-hebrew@@@10005",
    "x-mac-icelandic@@@10079",
    "x-mac-japanese@@@10001",
    "x-mac-korean@@@10003",
    "x-mac-turkish@@@10081",
}};

unsigned char lowerAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

bool lessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return lowerAscii(static_cast<unsigned char>(x)) < lowerAscii(static_cast<unsigned char>(y));
  });
}

std::vector<std::string> buildList() {
  std::vector<std::string> list(kCharsetLines.begin(), kCharsetLines.end());
  // Stable, so that lines equal ignoring case keep their stored order.
  std::stable_sort(list.begin(), list.end(), lessIgnoringCase);
  list.erase(std::unique(list.begin(), list.end()), list.end());
  return list;
}

}  // namespace

const std::vector<std::string>& CharsetList() {
  static const std::vector<std::string> list = buildList();
  return list;
}

int LookupCodePage(std::string_view name) {
  for (const std::string& line : CharsetList()) {
    const std::string_view l = line;
    const std::size_t sep = l.find(kSeparator);
    if (sep == std::string_view::npos || l.substr(0, sep) != name) continue;
    const std::string_view number = l.substr(sep + kSeparator.size());
    int codePage = 0;
    std::from_chars(number.data(), number.data() + number.size(), codePage);
    return codePage;
  }
  return 0;
}
