// CombineUrl resolves a link found on a page against the page's URL the way a web browser does.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// Longest URL the crawl keeps; anything longer is dropped.
inline constexpr std::size_t kMaxCombinedUrlLength = 10239;

// Resolves `reference` against `base`:
// - an empty reference yields the base;
// - an absolute reference ("scheme://...") comes back canonicalised (scheme in lower case,
//   "." and ".." segments removed); a scheme-relative one ("//host/x") takes the base's scheme;
// - a relative reference is resolved with "." and ".." segments removed;
// - unsafe characters (space, '"', '<', '>', '`', '{', '}', control and non-ASCII bytes)
//   before "?" or "#" are percent-encoded; the query and fragment stay as written (only
//   control characters there are encoded, so that no line break can reach a request line);
// - tabs and line breaks inside the reference are dropped, as browsers do, and leading white
//   space is ignored; trailing white space is dropped only when there is no "?" or "#".
// Returns std::nullopt for what cannot be resolved into a "scheme://" URL (mailto:, javascript:,
// a broken authority, a base without "://") and for results over kMaxCombinedUrlLength.
std::optional<std::string> CombineUrl(const std::string& base, const std::string& reference);
