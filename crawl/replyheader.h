// Readings of a reply's raw header that the exchange handlers make themselves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The received header lines joined with CR LF, ending before the first NUL when there is one.
std::string joinReceivedHeader(const std::vector<std::string>& lines);

// The attachment test over the whole header text: positive when some line holds both
// "Content-Description" and "File Transfer", or both "Content-Disposition" and "attachment"
// (ignoring case). `mentionsDisposition` tells whether "Content-disposition" occurs anywhere,
// which empties the window caption.
struct AttachmentVerdict {
    bool attachment = false;
    bool mentionsDisposition = false;
};
AttachmentVerdict AttachmentTest(const std::string& headerText);

// Status and reason read from the first header line when the client has none: the text between
// the first and second blank (digits only, else 0) and everything after the second blank.
struct StatusLine {
    int32_t status = 0;
    std::string reason;
};
StatusLine StatusFromHeader(const std::vector<std::string>& lines);
