// Every modal question, notice and file dialog the desktop program shows goes through this
// interface, so that tests can answer them without a user.
#pragma once

#include <optional>
#include <string>

struct FileDialogRequest {
    std::string filter;           // "Name|*.ext", the way the menu commands describe it
    std::string defaultExtension; // without the dot; appended when the user types none
    std::string initialName;      // file name offered when the dialog opens
};

class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // A plain notice with an OK button.
    virtual void message(const std::string& text) = 0;
    // A confirmation with Yes and No; true for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
    // Save dialog with overwrite confirmation; nothing when cancelled.
    virtual std::optional<std::string> saveFileName(const FileDialogRequest& request) = 0;
    // Open dialog for an existing file; nothing when cancelled.
    virtual std::optional<std::string> openFileName(const FileDialogRequest& request) = 0;
};

// "Tarnwick file|*.sitemap" becomes the toolkit's "Tarnwick file (*.sitemap)".
std::string toolkitFilter(const std::string& filter);
// Appends ".ext" when the chosen name has no extension of its own.
std::string withDefaultExtension(const std::string& path, const std::string& extension);
