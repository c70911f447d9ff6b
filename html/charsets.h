#pragma once
// The table of declared character-set names and the Windows code pages they stand for.

#include <string>
#include <string_view>
#include <vector>

// The "name@@@codepage" lines, sorted ignoring letter case, exact duplicates dropped.
const std::vector<std::string>& CharsetList();

// Code page for a charset name compared byte for byte (letter case significant); 0 when
// the name is unknown. The first line in sorted order wins, so "iso-2022-jp" gives 50220.
int LookupCodePage(std::string_view name);
