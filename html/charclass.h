#pragma once
// Separator classes of the bytes in a tag, shared by the tag splitter and the attribute reader.

namespace html_detail {

enum class CharClass : unsigned char { Other, Space, Quote, Equals };

constexpr CharClass classOf(unsigned char c) {
  switch (c) {
    case '\t':
    case '\n':
    case '\r':
    case ' ':
      return CharClass::Space;
    case '"':
    case '\'':
      return CharClass::Quote;
    case '=':
      return CharClass::Equals;
    default:
      return CharClass::Other;
  }
}

}  // namespace html_detail
