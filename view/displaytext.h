// Widening of stored 8-bit texts for display.
#pragma once

#include <string>
#include <string_view>

// Every byte through the system 8-bit code page (Windows-1252; its five unassigned bytes map
// to the control characters of the same value).
std::u16string widenSystemCodePage(std::string_view bytes);

// Stored title bytes decoded as UTF-8 for display (Utf8ToWide).
std::u16string titleToWide(std::string_view bytes);
