#include "view/displaytext.h"

#include <array>
#include <cstdint>

namespace {

constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Lead byte -> number of bytes that follow it, and the offset its sequence length subtracts.
constexpr int trailCount(unsigned char lead)
{
    if (lead < 0xC0) return 0;
    if (lead < 0xE0) return 1;
    if (lead < 0xF0) return 2;
    if (lead < 0xF8) return 3;
    if (lead < 0xFC) return 4;
    return 5;
}

constexpr std::array<uint32_t, 6> kUtf8Offsets{0, 0x3080, 0xE2080, 0x3C82080, 0xFA082080, 0x82082080};

// Titles are decoded leniently: following bytes are taken without checking that they are
// continuation bytes, and a sequence cut off by the end of the text keeps what it has.
std::u16string utf8ToWideLenient(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int trail = trailCount(lead);
        if (i + static_cast<size_t>(trail) >= bytes.size() && trail > 0) {
            out.push_back(u'\uFFFD');
            break;
        }
        uint32_t value = 0;
        for (int k = 0; k <= trail; ++k) {
            value = (value << 6) + static_cast<unsigned char>(bytes[i + static_cast<size_t>(k)]);
        }
        value -= kUtf8Offsets[static_cast<size_t>(trail)];
        i += static_cast<size_t>(trail) + 1;
        if (value <= 0xFFFF) {
            out.push_back(static_cast<char16_t>(value));
        } else if (value <= 0x7FFFFFFF) {
            const uint32_t v = value - 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + ((v >> 10) & 0x3FF)));
            out.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            out.push_back(u'\uFFFD');
        }
    }
    return out;
}

} // namespace

std::u16string widenSystemCodePage(std::string_view bytes)
{
    std::u16string out(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        out[i] = b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<char16_t>(b);
    }
    return out;
}

std::u16string titleToWide(std::string_view bytes)
{
    return utf8ToWideLenient(bytes);
}
