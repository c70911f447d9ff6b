// URI splitting: the program's own reading of a URL text into its parts. It never fails and
// keeps letter case; a text without "://" has an empty scheme and host.
#pragma once

#include <string>
#include <string_view>

struct UriParts {
    std::string scheme;
    std::string user;
    std::string password;
    std::string host;
    std::string port;
    bool hasPort = false;   // a ":" followed the host, even with nothing after it
    std::string path;       // begins and ends with "/" when there is a "://"
    std::string document;   // what follows the path up to the query
    std::string query;      // from "?" on, without the fragment
    std::string fragment;   // after "#"
};

UriParts SplitUri(const std::string& url);

// SplitUri(url).host without building the other parts: a view into `url`.
std::string_view UriHost(std::string_view url);

// Scheme, "://", host, ":" and port when a port was given, path, document, query: the URL
// without user name, password or fragment.
std::string RebuildUri(const UriParts& parts);

// Scheme, "://", host, ":" and port when a port was given, and the path: the prefix a URL must
// begin with to stay under the start URL's directory.
std::string UriPrefix(const UriParts& parts);
