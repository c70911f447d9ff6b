#include "crawl/combineurl.h"

#include <curl/curl.h>

#include <memory>
#include <string_view>

// Relative links are resolved by hand: it is what a page is mostly made of, it must take well
// under the few microseconds libcurl's URL parser needs, and libcurl would rewrite spaces in a
// query and mishandle references made of only a query or a fragment. Absolute references with
// anything unusual in their authority go through libcurl's URL API, which validates and
// canonicalises them.

namespace {

struct CurlUrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

bool isPathUnsafe(unsigned char c)
{
    return c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>' || c == '`' || c == '{' || c == '}';
}

bool isControl(unsigned char c)
{
    return c < 0x20 || c == 0x7F;
}

bool isAlpha(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

template <typename Unsafe>
void appendEncoded(std::string& out, std::string_view part, Unsafe unsafe)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char ch : part) {
        const auto c = static_cast<unsigned char>(ch);
        if (unsafe(c)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
}

// Leading white space goes, tabs and line breaks inside go; trailing white space goes only when
// there is no query or fragment, whose text must stay as written.
std::string cleanReference(std::string_view ref)
{
    std::size_t start = 0;
    while (start < ref.size() && static_cast<unsigned char>(ref[start]) <= 0x20)
        ++start;
    ref.remove_prefix(start);
    std::string out;
    out.reserve(ref.size());
    for (const char ch : ref) {
        if (ch != '\t' && ch != '\r' && ch != '\n')
            out += ch;
    }
    if (out.find_first_of("?#") == std::string::npos) {
        while (!out.empty() && static_cast<unsigned char>(out.back()) <= 0x20)
            out.pop_back();
    }
    return out;
}

// Length of a leading "scheme:" (without the colon); 0 when there is none.
std::size_t schemeLength(std::string_view s)
{
    if (s.empty() || !isAlpha(static_cast<unsigned char>(s[0])))
        return 0;
    for (std::size_t i = 1; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == ':')
            return i;
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.')
            return 0;
    }
    return 0;
}

bool equalsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if ((x | 0x20) != (y | 0x20) || !isAlpha(x) != !isAlpha(y))
            return false;
    }
    return true;
}

void popSegment(std::string& out)
{
    const auto slash = out.rfind('/');
    out.erase(slash == std::string::npos ? 0 : slash);
}

// Appends `in` to `out` with "." and ".." segments removed (RFC 3986, 5.2.4).
void appendWithoutDots(std::string& out, std::string_view in)
{
    std::string path;
    path.reserve(in.size());
    while (!in.empty()) {
        if (in.substr(0, 3) == "../") {
            in.remove_prefix(3);
        } else if (in.substr(0, 2) == "./") {
            in.remove_prefix(2);
        } else if (in.substr(0, 3) == "/./") {
            in.remove_prefix(2);
        } else if (in == "/.") {
            in = "/";
        } else if (in.substr(0, 4) == "/../") {
            in.remove_prefix(3);
            popSegment(path);
        } else if (in == "/..") {
            in = "/";
            popSegment(path);
        } else if (in == "." || in == "..") {
            in = {};
        } else {
            const auto next = in.find('/', 1);
            const std::size_t length = next == std::string_view::npos ? in.size() : next;
            path.append(in.substr(0, length));
            in.remove_prefix(length);
        }
    }
    out += path;
}

struct BaseParts {
    std::string_view scheme;
    std::string_view authority;
    std::string_view path;
    std::string_view query; // with its '?'
};

bool splitBase(std::string_view base, BaseParts& parts)
{
    const std::size_t scheme = schemeLength(base);
    if (scheme == 0 || base.substr(scheme, 3) != "://")
        return false;
    parts.scheme = base.substr(0, scheme);
    std::string_view rest = base.substr(scheme + 3);
    rest = rest.substr(0, rest.find('#'));
    const std::size_t authorityEnd = std::min(rest.find_first_of("/?"), rest.size());
    parts.authority = rest.substr(0, authorityEnd);
    rest.remove_prefix(authorityEnd);
    const std::size_t queryStart = std::min(rest.find('?'), rest.size());
    parts.path = rest.substr(0, queryStart);
    parts.query = rest.substr(queryStart);
    return true;
}

// An authority made of a host name or IPv4 address and an optional numeric port.
bool isPlainAuthority(std::string_view authority)
{
    if (authority.empty())
        return false;
    const std::size_t colon = authority.find(':');
    const std::string_view host = authority.substr(0, colon);
    if (host.empty())
        return false;
    for (const char ch : host) {
        const auto c = static_cast<unsigned char>(ch);
        if (!isAlpha(c) && !isDigit(c) && c != '.' && c != '-')
            return false;
    }
    if (colon == std::string_view::npos)
        return true;
    const std::string_view port = authority.substr(colon + 1);
    if (port.empty() || port.size() > 5)
        return false;
    for (const char ch : port) {
        if (!isDigit(static_cast<unsigned char>(ch)))
            return false;
    }
    return true;
}

// `pre` is "scheme://authority/path", already percent-encoded; `tail` is query and fragment.
std::optional<std::string> combineAbsolute(std::string_view pre, std::size_t schemeLen, std::string_view tail)
{
    const std::string_view scheme = pre.substr(0, schemeLen);
    std::string_view rest = pre.substr(schemeLen + 3);
    const std::size_t authorityEnd = std::min(rest.find('/'), rest.size());
    const std::string_view authority = rest.substr(0, authorityEnd);
    const std::string_view path = rest.substr(authorityEnd);

    std::string out;
    if ((equalsNoCase(scheme, "http") || equalsNoCase(scheme, "https")) && isPlainAuthority(authority)) {
        out.reserve(pre.size() + tail.size() + 1);
        for (const char ch : scheme)
            out += static_cast<char>(ch | 0x20);
        out += "://";
        out += authority;
        if (path.empty())
            out += '/';
        else
            appendWithoutDots(out, path);
    } else {
        thread_local const std::unique_ptr<CURLU, CurlUrlDeleter> handle(curl_url());
        if (!handle)
            return std::nullopt;
        const std::string text(pre);
        char* canonical = nullptr;
        if (curl_url_set(handle.get(), CURLUPART_URL, text.c_str(), CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK ||
            curl_url_get(handle.get(), CURLUPART_URL, &canonical, 0) != CURLUE_OK || !canonical)
            return std::nullopt;
        out = canonical;
        curl_free(canonical);
    }
    out += tail;
    return out;
}

} // namespace

std::optional<std::string> CombineUrl(const std::string& base, const std::string& reference)
{
    const std::string ref = cleanReference(reference);
    if (ref.empty()) {
        if (base.size() > kMaxCombinedUrlLength)
            return std::nullopt;
        return base;
    }

    const std::size_t fragmentStart = std::min(ref.find('#'), ref.size());
    const std::size_t queryStart = std::min(ref.find('?'), fragmentStart);
    std::string pre;
    pre.reserve(queryStart + 8);
    appendEncoded(pre, std::string_view(ref).substr(0, queryStart), isPathUnsafe);
    std::string query;
    appendEncoded(query, std::string_view(ref).substr(queryStart, fragmentStart - queryStart), isControl);
    std::string fragment;
    appendEncoded(fragment, std::string_view(ref).substr(fragmentStart), isControl);

    std::optional<std::string> result;
    const std::size_t scheme = schemeLength(pre);
    BaseParts b;
    if (scheme != 0) {
        // "mailto:", "javascript:" and "http:x" name no host: nothing to crawl.
        if (std::string_view(pre).substr(scheme, 3) != "://")
            return std::nullopt;
        result = combineAbsolute(pre, scheme, query + fragment);
    } else if (!splitBase(base, b)) {
        return std::nullopt;
    } else if (pre.compare(0, 2, "//") == 0) {
        const std::string absolute = std::string(b.scheme) + ":" + pre;
        result = combineAbsolute(absolute, b.scheme.size(), query + fragment);
    } else {
        std::string out;
        out.reserve(base.size() + ref.size() + 8);
        out.append(b.scheme).append("://").append(b.authority);
        if (pre.empty()) {
            out += b.path;
            out += queryStart < fragmentStart ? std::string_view(query) : b.query;
        } else if (pre.front() == '/') {
            appendWithoutDots(out, pre);
            out += query;
        } else {
            const auto slash = b.path.rfind('/');
            std::string merged = slash == std::string_view::npos ? std::string("/")
                                                                 : std::string(b.path.substr(0, slash + 1));
            merged += pre;
            appendWithoutDots(out, merged);
            out += query;
        }
        out += fragment;
        result = std::move(out);
    }
    if (result && result->size() > kMaxCombinedUrlLength)
        return std::nullopt;
    return result;
}
