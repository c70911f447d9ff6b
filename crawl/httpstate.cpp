// Names of the client states as the diagnostics histogram prints them.
#include "crawl/httpclient.h"

const char* httpStateName(HttpState state)
{
    switch (state) {
    case HttpState::httpReady: return "httpReady";
    case HttpState::httpNotConnected: return "httpNotConnected";
    case HttpState::httpConnected: return "httpConnected";
    case HttpState::httpDnsLookup: return "httpDnsLookup";
    case HttpState::httpDnsLookupDone: return "httpDnsLookupDone";
    case HttpState::httpWaitingHeader: return "httpWaitingHeader";
    case HttpState::httpWaitingBody: return "httpWaitingBody";
    case HttpState::httpBodyReceived: return "httpBodyReceived";
    case HttpState::httpWaitingProxyConnect: return "httpWaitingProxyConnect";
    case HttpState::httpClosing: return "httpClosing";
    case HttpState::httpAborting: return "httpAborting";
    }
    return "";
}
