#pragma once
// The named character references of HTML 4.01, looked up case-sensitively.

#include <cstddef>
#include <string_view>

// Code point of the named reference (without '&' and ';'), or -1 when there is none.
// "apos" is deliberately absent.
int LookupEntity(std::string_view name);

// Number of names in the table, and the i-th name in sorted order.
std::size_t EntityCount();
std::string_view EntityName(std::size_t i);
