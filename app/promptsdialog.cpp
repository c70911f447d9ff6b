#include "app/promptsdialog.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

QString title() { return QStringLiteral("Tarnwick"); }

QString fromLocal(const std::string& text) { return QString::fromLocal8Bit(text.data(), qsizetype(text.size())); }

std::optional<std::string> runFileDialog(QWidget* parent, const FileDialogRequest& request, bool save)
{
    QFileDialog dialog(parent, title());
    dialog.setNameFilter(fromLocal(toolkitFilter(request.filter)));
    dialog.setDefaultSuffix(fromLocal(request.defaultExtension));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The toolkit's own dialog asks before overwriting, and accepts any characters in names.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!request.initialName.empty())
        dialog.selectFile(fromLocal(request.initialName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return withDefaultExtension(dialog.selectedFiles().constFirst().toLocal8Bit().toStdString(),
                                request.defaultExtension);
}

} // namespace

void PromptsDialog::message(const std::string& text)
{
    QMessageBox::information(m_parent, title(), fromLocal(text));
}

bool PromptsDialog::askYesNo(const std::string& text)
{
    return QMessageBox::question(m_parent, title(), fromLocal(text), QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

std::optional<std::string> PromptsDialog::saveFileName(const FileDialogRequest& request)
{
    return runFileDialog(m_parent, request, true);
}

std::optional<std::string> PromptsDialog::openFileName(const FileDialogRequest& request)
{
    return runFileDialog(m_parent, request, false);
}
