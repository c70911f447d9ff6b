#include "app/promptsdialog.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

QString title() { return QStringLiteral("Tarnwick"); }

QString fromLocal(const std::string& text) { return QString::fromLocal8Bit(text.data(), qsizetype(text.size())); }

std::optional<std::string> runFileDialog(QWidget* parent, const FileDialogSpec& spec, bool save)
{
    QFileDialog dialog(parent, title());
    dialog.setNameFilter(fromLocal(toolkitFilter(spec.filter)));
    dialog.setDefaultSuffix(fromLocal(spec.defaultExtension));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // The toolkit's own dialog asks before overwriting, and accepts any characters in names.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!spec.initialName.empty())
        dialog.selectFile(fromLocal(spec.initialName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return withDefaultExtension(dialog.selectedFiles().constFirst().toLocal8Bit().toStdString(),
                                spec.defaultExtension);
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

std::optional<std::string> PromptsDialog::saveFileName(const FileDialogSpec& spec)
{
    return runFileDialog(m_parent, spec, true);
}

std::optional<std::string> PromptsDialog::openFileName(const FileDialogSpec& spec)
{
    return runFileDialog(m_parent, spec, false);
}
