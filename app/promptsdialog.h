// The real answers to UserPrompts: message boxes and the toolkit's file dialogs.
#pragma once

#include "app/userprompts.h"

class QWidget;

class PromptsDialog final : public UserPrompts {
public:
    explicit PromptsDialog(QWidget* parent) : m_parent(parent) {}

    void message(const std::string& text) override;
    bool askYesNo(const std::string& text) override;
    std::optional<std::string> saveFileName(const FileDialogRequest& request) override;
    std::optional<std::string> openFileName(const FileDialogRequest& request) override;

private:
    QWidget* m_parent;
};
