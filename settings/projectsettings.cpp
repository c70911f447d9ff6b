#include "settings/projectsettings.h"

#include <algorithm>

namespace {

int clampIndex(int index, size_t size)
{
    return std::clamp(index, 0, static_cast<int>(size) - 1);
}

} // namespace

std::string SettingsSummary(int connections, std::string_view httpVersion, int timeoutSeconds,
                            std::string_view userAgent)
{
    std::string text = "Using " + std::to_string(connections) + " streams; ";
    text += "HTTP version: ";
    text += httpVersion;
    text += "; Timeout: " + std::to_string(timeoutSeconds) + "sec; ";
    text += "User Agent: ";
    text += userAgent;
    text += "; ";
    return text;
}

std::vector<std::string> ProjectSettings::defaultReservedList()
{
    std::vector<std::string> list(kReservedListLines);
    list[2] = "2.5";
    return list;
}

int ProjectSettings::connections() const
{
    return kConnectionEntries[static_cast<size_t>(clampIndex(connectionsIndex, kConnectionEntries.size()))];
}

std::string ProjectSettings::httpVersion() const
{
    return clampIndex(httpVersionIndex, kHttpVersionEntries.size()) == 1 ? "1.1" : "1.0";
}

std::string_view ProjectSettings::presetUserAgent() const
{
    return kUserAgentPresets[static_cast<size_t>(clampIndex(userAgentPreset, kUserAgentPresets.size()))].text;
}

std::string ProjectSettings::userAgent() const
{
    return customUserAgentOn ? customUserAgent : std::string(presetUserAgent());
}

WorkingSettings ProjectSettings::working() const
{
    return WorkingSettings{connections(), httpVersion(), userAgent()};
}

std::string ProjectSettings::summary() const
{
    return SettingsSummary(connections(), httpVersion(), timeoutSeconds, userAgent());
}

void ProjectSettings::clampToRanges()
{
    connectionsIndex = clampIndex(connectionsIndex, kConnectionEntries.size());
    httpVersionIndex = clampIndex(httpVersionIndex, kHttpVersionEntries.size());
    userAgentPreset = clampIndex(userAgentPreset, kUserAgentPresets.size());
    maxRedirections = std::clamp(maxRedirections, kMinMaxRedirections, kMaxMaxRedirections);
    timeoutSeconds = std::clamp(timeoutSeconds, kMinTimeoutSeconds, kMaxTimeoutSeconds);
    maxLength = std::clamp(maxLength, kMinMaxLength, kMaxMaxLength);
}
