#include "html/textconv.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>

#include "html/entities.h"

namespace {

constexpr int kSystemCodePage = 1252;
constexpr char16_t kReplacement = 0xFFFD;

// Windows-1252 bytes 0x80-0x9F; the five it leaves undefined map to the C1 controls of
// the same value, so every byte survives a round trip.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t cp1252ToUnit(unsigned char c) { return (c >= 0x80 && c <= 0x9F) ? kCp1252High[c - 0x80] : c; }

// The byte for a code point in Windows-1252, or '?' when it has none.
char unitToCp1252(std::uint32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (std::size_t i = 0; i < kCp1252High.size(); ++i) {
    if (kCp1252High[i] == cp) return static_cast<char>(0x80 + i);
  }
  return '?';
}

// glibc names of the Windows code pages in the charset table. Code pages missing here, or
// missing from the local iconv, have no conversion. 1200 and 1201 name UTF-16 itself, which
// is no 8-bit encoding, so they are left out on purpose.
const char* iconvName(int codePage) {
  static const std::map<int, const char*> kNames{
      {37, "IBM037"},         {437, "CP437"},           {708, "ASMO-708"},       {720, "CP720"},
      {737, "CP737"},         {775, "CP775"},           {850, "CP850"},          {852, "IBM852"},
      {857, "IBM857"},        {861, "CP861"},           {862, "CP862"},          {866, "CP866"},
      {869, "IBM869"},        {870, "IBM870"},          {874, "WINDOWS-874"},    {875, "IBM875"},
      {932, "CP932"},         {936, "CP936"},           {949, "CP949"},          {950, "CP950"},
      {1026, "IBM1026"},      {1140, "IBM1140"},        {1141, "IBM1141"},       {1142, "IBM1142"},
      {1143, "IBM1143"},      {1144, "IBM1144"},        {1145, "IBM1145"},       {1146, "IBM1146"},
      {1147, "IBM1147"},      {1148, "IBM1148"},        {1149, "IBM1149"},       {1250, "CP1250"},
      {1251, "CP1251"},       {1252, "CP1252"},         {1253, "CP1253"},        {1254, "CP1254"},
      {1255, "CP1255"},       {1256, "CP1256"},         {1257, "CP1257"},        {1258, "CP1258"},
      {1361, "JOHAB"},        {10000, "MACINTOSH"},     {10007, "MAC-CYRILLIC"}, {10029, "MAC-CENTRALEUROPE"},
      {10079, "MAC-IS"},      {20106, "ISO646-DE"},     {20107, "ISO646-SE"},    {20108, "ISO646-NO"},
      {20127, "US-ASCII"},    {20273, "IBM273"},        {20277, "IBM277"},       {20278, "IBM278"},
      {20280, "IBM280"},      {20284, "IBM284"},        {20285, "IBM285"},       {20290, "IBM290"},
      {20420, "IBM420"},      {20423, "IBM423"},        {20424, "IBM424"},       {20833, "IBM833"},
      {20838, "IBM838"},      {20866, "KOI8-R"},        {20871, "IBM871"},       {20880, "IBM880"},
      {20905, "IBM905"},      {21025, "IBM1025"},       {21866, "KOI8-U"},       {28591, "ISO-8859-1"},
      {28592, "ISO-8859-2"},  {28593, "ISO-8859-3"},    {28594, "ISO-8859-4"},   {28595, "ISO-8859-5"},
      {28596, "ISO-8859-6"},  {28597, "ISO-8859-7"},    {28598, "ISO-8859-8"},   {28599, "ISO-8859-9"},
      {28605, "ISO-8859-15"}, {38598, "ISO-8859-8"},    {50220, "ISO-2022-JP"},  {50221, "ISO-2022-JP"},
      {50222, "ISO-2022-JP"}, {50225, "ISO-2022-KR"},   {50930, "IBM930"},       {50933, "IBM933"},
      {50935, "IBM935"},      {50937, "IBM937"},        {50939, "IBM939"},       {51932, "EUC-JP"},
      {51936, "EUC-CN"},      {51949, "EUC-KR"},        {65000, "UTF-7"},
  };
  const auto it = kNames.find(codePage);
  return it == kNames.end() ? nullptr : it->second;
}

struct IconvCloser {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

// One open converter per code page and thread; opening one costs far more than a title.
iconv_t converterFor(int codePage) {
  thread_local std::map<int, IconvHandle> cache;
  auto it = cache.find(codePage);
  if (it == cache.end()) {
    IconvHandle handle;
    if (const char* name = iconvName(codePage)) {
      iconv_t cd = iconv_open("UTF-16LE", name);
      if (cd != reinterpret_cast<iconv_t>(-1)) handle.reset(cd);
    }
    it = cache.emplace(codePage, std::move(handle)).first;
  }
  return static_cast<iconv_t>(it->second.get());
}

// Converts to UTF-16 code units; undefined or cut-off input becomes U+FFFD.
std::u16string toUnits(iconv_t cd, std::string_view bytes) {
  std::u16string units;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial shift state
  std::array<char, 4096> buffer{};
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  const auto flush = [&](char* end) {
    for (char* p = buffer.data(); p + 1 < end; p += 2) {
      units.push_back(static_cast<char16_t>(static_cast<unsigned char>(p[0]) |
                                            (static_cast<unsigned char>(p[1]) << 8)));
    }
  };
  bool finishing = false;
  while (true) {
    char* out = buffer.data();
    std::size_t outLeft = buffer.size();
    const std::size_t rc = finishing ? iconv(cd, nullptr, nullptr, &out, &outLeft)
                                     : iconv(cd, &in, &inLeft, &out, &outLeft);
    const int err = errno;
    flush(out);
    if (rc != static_cast<std::size_t>(-1)) {
      if (finishing) break;
      finishing = true;  // all input read; let a stateful encoding write its tail
      continue;
    }
    if (err == E2BIG) continue;
    if (finishing) break;
    units.push_back(kReplacement);
    if (err == EILSEQ && inLeft > 0) {
      ++in;  // skip the undefined byte and go on
      --inLeft;
    } else {
      break;  // EINVAL: the input ends inside a character
    }
  }
  return units;
}

// The general integer syntax: blanks, a sign, then decimal digits or hex digits after
// "$", "x", "X", "0x" or "0X". Decimal must fit a signed 32-bit integer; hex may use all
// 32 bits. The whole text must be consumed.
bool parseInteger(std::string_view s, std::uint32_t& value) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  bool hex = false;
  if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= s.size()) return false;
  std::uint64_t v = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    int digit = -1;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    }
    if (digit < 0) return false;
    v = v * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
    if (v > (hex ? 0xFFFFFFFFull : 0x80000000ull)) return false;
  }
  if (!hex && !negative && v > 0x7FFFFFFFull) return false;
  value = static_cast<std::uint32_t>(negative ? (0u - v) : v);
  return true;
}

bool parseHex(std::string_view s, std::uint32_t& value) {
  if (s.empty()) return false;
  std::uint64_t v = 0;
  for (const char c : s) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    v = v * 16 + static_cast<std::uint64_t>(digit);
    if (v > 0xFFFFFFFFull) return false;
  }
  value = static_cast<std::uint32_t>(v);
  return true;
}

}  // namespace

void AppendUnitAsUtf8(std::string& out, char16_t unit) {
  if (unit < 0x80) {
    out.push_back(static_cast<char>(unit));
  } else if (unit < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (unit >> 6)));
    out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (unit >> 12)));
    out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
  }
}

bool CodePageAvailable(int codePage) {
  return codePage == kSystemCodePage || converterFor(codePage) != nullptr;
}

std::string CodePageToUtf8(std::string_view bytes, int codePage) {
  if (bytes.empty()) return {};
  if (codePage == kSystemCodePage) return Cp1252ToUtf8(bytes);
  iconv_t cd = converterFor(codePage);
  if (cd == nullptr) return {};
  std::string out;
  for (const char16_t unit : toUnits(cd, bytes)) AppendUnitAsUtf8(out, unit);
  return out;
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  for (const char c : text) AppendUnitAsUtf8(out, cp1252ToUnit(static_cast<unsigned char>(c)));
  return out;
}

// Well-formed sequences (a three-byte surrogate half counts as one) become their character
// or '?'; every byte of a malformed sequence becomes '?'.
std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t len = 0;
    std::uint32_t cp = 0;
    if (lead < 0x80) {
      len = 1;
      cp = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      len = 2;
      cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      len = 3;
      cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      len = 4;
      cp = lead & 0x07;
    }
    bool ok = len > 0 && i + len <= text.size();
    for (std::size_t k = 1; ok && k < len; ++k) {
      const auto b = static_cast<unsigned char>(text[i + k]);
      if ((b & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (b & 0x3F);
    }
    // Overlong forms are malformed.
    if (ok && ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))) ok = false;
    if (!ok) {
      out.push_back('?');
      ++i;
      continue;
    }
    out.push_back(unitToCp1252(cp));
    i += len;
  }
  return out;
}

std::string DecodeReferences(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  constexpr std::size_t kMaxDistance = 12;  // from '&' to ';'
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    const char c = text[i];
    if (c != '&') {
      out.push_back(c);
      ++i;
      continue;
    }
    std::size_t semi = 0;
    for (std::size_t k = 1; k <= kMaxDistance && i + k < n; ++k) {
      if (text[i + k] == ';') {
        semi = i + k;
        break;
      }
    }
    if (semi == 0) {
      out.push_back('&');
      ++i;
      continue;
    }
    const std::string_view body = text.substr(i + 1, semi - i - 1);
    bool decoded = false;
    if (body.empty() || body[0] != '#') {
      const int cp = LookupEntity(body);
      if (cp >= 0) {
        AppendUnitAsUtf8(out, static_cast<char16_t>(cp));
        decoded = true;
      }
    } else {
      std::uint32_t value = 0;
      const bool valid = (body.size() >= 2 && body[1] == 'x') ? parseHex(body.substr(2), value)
                                                              : parseInteger(body.substr(1), value);
      if (valid) {
        AppendUnitAsUtf8(out, static_cast<char16_t>(value & 0xFFFF));  // low 16 bits only
        decoded = true;
      }
    }
    if (decoded) {
      i = semi + 1;
    } else {
      out.push_back('&');
      ++i;
    }
  }
  return out;
}

std::string DecodeReferences8(std::string_view text) {
  if (text.find('&') == std::string_view::npos) return std::string(text);  // nothing to decode
  return Utf8ToCp1252(DecodeReferences(Cp1252ToUtf8(text)));
}

std::u16string Utf8ToWide(std::string_view bytes) {
  static constexpr std::array<std::uint32_t, 6> kOffsets{0, 0x3080, 0xE2080, 0x3C82080, 0xFA082080, 0x82082080};
  std::u16string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  const std::size_t n = bytes.size();
  while (i < n) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t extra = 0;
    if (lead >= 0xFC) {
      extra = 5;
    } else if (lead >= 0xF8) {
      extra = 4;
    } else if (lead >= 0xF0) {
      extra = 3;
    } else if (lead >= 0xE0) {
      extra = 2;
    } else if (lead >= 0xC0) {
      extra = 1;
    }
    if (extra > n - i - 1) {  // cut off by the end of the text
      out.push_back(kReplacement);
      break;
    }
    std::uint32_t value = 0;  // wraps modulo 2^32 for the longest forms
    for (std::size_t k = 0; k <= extra; ++k) value = (value << 6) + static_cast<unsigned char>(bytes[i + k]);
    value -= kOffsets[extra];
    i += extra + 1;
    if (value <= 0xFFFF) {
      out.push_back(static_cast<char16_t>(value));
    } else if (value <= 0x10FFFF) {
      out.push_back(static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF)));
    } else {
      out.push_back(kReplacement);
    }
  }
  return out;
}
