// The "Project Settings" dialog: edits the ProjectSettings model. "OK" saves and reloads the
// settings files, "Cancel" reloads them, through the two hooks the main window installs.
#pragma once

#include "settings/projectsettings.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

class SettingsDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsDialog)
public:
    SettingsDialog(ProjectSettings& settings, QWidget* parent);

    // SaveSettings and LoadSettings of the program (files, working values, summary).
    void setHooks(std::function<void()> saveSettings, std::function<void()> loadSettings);

    // Options1Click's work: shows the model's values, modally, with the focus on "Cancel".
    int showModal();

    // Controls, for tests.
    QComboBox* connectionsBox() const { return m_connections; }
    QComboBox* httpVersionBox() const { return m_httpVersion; }
    QComboBox* presetBox() const { return m_preset; }
    QLineEdit* presetText() const { return m_presetText; }
    QCheckBox* customOnBox() const { return m_customOn; }
    QLineEdit* customText() const { return m_customText; }
    QSpinBox* redirectionsBox() const { return m_redirections; }
    QSpinBox* timeoutBox() const { return m_timeout; }
    QCheckBox* maxLengthOnBox() const { return m_maxLengthOn; }
    QSpinBox* maxLengthBox() const { return m_maxLength; }
    QCheckBox* exclusionsOnBox() const { return m_exclusionsOn; }
    QPlainTextEdit* exclusionsText() const { return m_exclusions; }
    QPushButton* okButton() const { return m_ok; }
    QPushButton* cancelButton() const { return m_cancel; }

    // The model's values into the controls, and back.
    void controlsFromModel();
    void modelFromControls();

private:
    void okClick();
    void cancelClick();
    void presetChange(int index);

    ProjectSettings& m_settings;
    std::function<void()> m_saveSettings;
    std::function<void()> m_loadSettings;

    QComboBox* m_connections = nullptr;
    QComboBox* m_httpVersion = nullptr;
    QComboBox* m_preset = nullptr;
    QLineEdit* m_presetText = nullptr;
    QCheckBox* m_customOn = nullptr;
    QLineEdit* m_customText = nullptr;
    QSpinBox* m_redirections = nullptr;
    QSpinBox* m_timeout = nullptr;
    QCheckBox* m_maxLengthOn = nullptr;
    QSpinBox* m_maxLength = nullptr;
    QCheckBox* m_exclusionsOn = nullptr;
    QPlainTextEdit* m_exclusions = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};
