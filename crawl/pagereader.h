// Preparing a received body for the tokenizer.
#pragma once

#include <string>
#include <string_view>

// The body as 8-bit lines (CR LF, LF or CR end a line; a NUL ends the text), each followed by
// CR LF.
std::string pageText(std::string_view body);
// The same, written into `text` (replacing its contents), so that a buffer can be reused.
void pageText(std::string_view body, std::string& text);
