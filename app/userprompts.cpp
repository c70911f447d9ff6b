#include "app/userprompts.h"

std::string toolkitFilter(const std::string& filter)
{
    // Pairs of "description|patterns", several pairs joined by '|'.
    std::string result;
    size_t pos = 0;
    while (pos < filter.size()) {
        const size_t bar = filter.find('|', pos);
        if (bar == std::string::npos) {
            result += filter.substr(pos);
            break;
        }
        size_t next = filter.find('|', bar + 1);
        if (next == std::string::npos)
            next = filter.size();
        if (!result.empty())
            result += ";;";
        result += filter.substr(pos, bar - pos) + " (" + filter.substr(bar + 1, next - bar - 1) + ")";
        pos = next + 1;
    }
    return result;
}

std::string withDefaultExtension(const std::string& path, const std::string& extension)
{
    if (extension.empty())
        return path;
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return hasExtension ? path : path + "." + extension;
}
