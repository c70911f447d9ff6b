#pragma once
// Text conversions for page titles: code page to UTF-8, character references, and the
// UTF-8 reader used to show stored titles.

#include <string>
#include <string_view>

// Re-encodes 8-bit text from a Windows code page to UTF-8, one 16-bit unit at a time (the
// halves of a surrogate pair are encoded separately, three bytes each). Bytes the code page
// does not define become U+FFFD. Empty when the code page is unknown or has no conversion.
std::string CodePageToUtf8(std::string_view bytes, int codePage);

// Whether CodePageToUtf8 can convert from this code page on this machine.
bool CodePageAvailable(int codePage);

// Decodes named and numeric character references in UTF-8 text; anything that is not a
// valid reference is copied unchanged. The result is never longer than the input.
std::string DecodeReferences(std::string_view text);

// DecodeReferences for 8-bit text in the system code page (Windows-1252): decoded
// characters that code page cannot hold become '?'; all other bytes come back unchanged.
std::string DecodeReferences8(std::string_view text);

// Reads UTF-8 (leniently: continuation bytes are not checked) into UTF-16. A sequence cut
// off by the end of the text, and any value beyond U+10FFFF, becomes U+FFFD.
std::u16string Utf8ToWide(std::string_view bytes);

// The system 8-bit code page and UTF-8, in both directions.
std::string Cp1252ToUtf8(std::string_view text);
std::string Utf8ToCp1252(std::string_view text);

// Appends one 16-bit unit as 1 to 3 UTF-8 bytes.
void AppendUnitAsUtf8(std::string& out, char16_t unit);
