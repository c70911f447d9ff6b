// Web addresses the help entries and the About window open in the default browser.
#pragma once

inline constexpr const char* kProductPageUrl = "https://tarnwick.example/";
inline constexpr const char* kInstructionsUrl = "https://tarnwick.example/help";
inline constexpr const char* kSupportUrl = "https://tarnwick.example/contact";
