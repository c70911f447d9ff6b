#include "settings/settingsdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QString latin1(std::string_view text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

std::string toBytes(const QString& text) { return text.toLatin1().toStdString(); }

QSpinBox* spinBox(int minimum, int maximum)
{
    auto* box = new QSpinBox;
    box->setRange(minimum, maximum);
    box->setMinimumWidth(70);
    return box;
}

QLabel* wrappedLabel(const char* text)
{
    auto* label = new QLabel(QString::fromLatin1(text));
    label->setWordWrap(true);
    return label;
}

} // namespace

SettingsDialog::SettingsDialog(ProjectSettings& settings, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_settings(settings)
{
    setWindowTitle(QStringLiteral("Project Settings"));
    setModal(true);

    m_connections = new QComboBox;
    for (const int entry : ProjectSettings::kConnectionEntries)
        m_connections->addItem(QString::number(entry));
    m_httpVersion = new QComboBox;
    for (const auto entry : kHttpVersionEntries)
        m_httpVersion->addItem(latin1(entry));
    m_preset = new QComboBox;
    for (const auto& preset : kUserAgentPresets)
        m_preset->addItem(latin1(preset.name));
    m_presetText = new QLineEdit;
    m_presetText->setReadOnly(true);
    m_presetText->setEnabled(false);
    m_customOn = new QCheckBox(QStringLiteral("Use custom User Agent string:"));
    m_customText = new QLineEdit;
    m_redirections = spinBox(ProjectSettings::kMinMaxRedirections, ProjectSettings::kMaxMaxRedirections);
    m_timeout = spinBox(ProjectSettings::kMinTimeoutSeconds, ProjectSettings::kMaxTimeoutSeconds);
    m_maxLengthOn = new QCheckBox(QStringLiteral("Don't crawl links longer than:"));
    m_maxLength = spinBox(ProjectSettings::kMinMaxLength, ProjectSettings::kMaxMaxLength);
    m_exclusionsOn = new QCheckBox(
        QStringLiteral("Don't crawl links containing any of these strings (list them line by line):"));
    m_exclusions = new QPlainTextEdit;
    m_exclusions->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_exclusions->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* group = new QGroupBox(QStringLiteral("Settings"));
    auto* grid = new QGridLayout(group);
    int line = 0;
    grid->addWidget(new QLabel(QStringLiteral("Speed (active connections) 1-40")), line, 0);
    grid->addWidget(new QLabel(QStringLiteral("HTTP version:")), line, 1);
    grid->addWidget(new QLabel(QStringLiteral("User Agent:")), line++, 2);
    grid->addWidget(m_connections, line, 0);
    grid->addWidget(m_httpVersion, line, 1);
    grid->addWidget(m_preset, line++, 2);
    grid->addWidget(m_presetText, line++, 0, 1, 3);
    grid->addWidget(m_customOn, line++, 0, 1, 3);
    grid->addWidget(m_customText, line++, 0, 1, 3);

    auto* redirectRow = new QHBoxLayout;
    redirectRow->addWidget(wrappedLabel(
        "Max Redirections (to avoid infinite and long loops when two pages redirect to each other):"), 1);
    redirectRow->addWidget(m_redirections);
    grid->addLayout(redirectRow, line++, 0, 1, 3);
    auto* timeoutRow = new QHBoxLayout;
    timeoutRow->addWidget(wrappedLabel(
        "Connection TimeOut - abort connection if not connected after this period (in seconds):"), 1);
    timeoutRow->addWidget(m_timeout);
    grid->addLayout(timeoutRow, line++, 0, 1, 3);
    auto* lengthRow = new QHBoxLayout;
    lengthRow->addWidget(m_maxLengthOn);
    lengthRow->addWidget(m_maxLength);
    lengthRow->addStretch(1);
    grid->addLayout(lengthRow, line++, 0, 1, 3);
    grid->addWidget(m_exclusionsOn, line++, 0, 1, 3);
    grid->addWidget(m_exclusions, line++, 0, 1, 3);

    m_cancel = new QPushButton(QStringLiteral("Cancel"));
    m_ok = new QPushButton(QStringLiteral("OK"));
    m_ok->setAutoDefault(false);
    m_cancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_ok);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(group);
    outer->addLayout(buttons);
    setMinimumWidth(520);
    outer->setSizeConstraint(QLayout::SetFixedSize); // a fixed dialog border

    connect(m_preset, &QComboBox::currentIndexChanged, this, &SettingsDialog::presetChange);
    connect(m_ok, &QPushButton::clicked, this, &SettingsDialog::okClick);
    connect(m_cancel, &QPushButton::clicked, this, &SettingsDialog::cancelClick);
    // Closing the window any other way is a "Cancel".
    connect(this, &QDialog::rejected, this, [this] {
        if (m_loadSettings)
            m_loadSettings();
        controlsFromModel();
    });

    controlsFromModel();
}

void SettingsDialog::setHooks(std::function<void()> saveSettings, std::function<void()> loadSettings)
{
    m_saveSettings = std::move(saveSettings);
    m_loadSettings = std::move(loadSettings);
}

int SettingsDialog::showModal()
{
    controlsFromModel();
    m_cancel->setFocus();
    return exec();
}

void SettingsDialog::controlsFromModel()
{
    ProjectSettings s = m_settings;
    s.clampToRanges();
    m_connections->setCurrentIndex(s.connectionsIndex);
    m_httpVersion->setCurrentIndex(s.httpVersionIndex);
    m_preset->setCurrentIndex(s.userAgentPreset);
    presetChange(s.userAgentPreset);
    m_customOn->setChecked(s.customUserAgentOn);
    m_customText->setText(latin1(s.customUserAgent));
    m_redirections->setValue(s.maxRedirections);
    m_timeout->setValue(s.timeoutSeconds);
    m_maxLengthOn->setChecked(s.maxLengthOn);
    m_maxLength->setValue(s.maxLength);
    m_exclusionsOn->setChecked(s.exclusionsOn);
    QStringList lines;
    for (const auto& exclusion : s.exclusions)
        lines << latin1(exclusion);
    m_exclusions->setPlainText(lines.join(QLatin1Char('\n')));
}

void SettingsDialog::modelFromControls()
{
    m_settings.connectionsIndex = m_connections->currentIndex();
    m_settings.httpVersionIndex = m_httpVersion->currentIndex();
    m_settings.userAgentPreset = m_preset->currentIndex();
    m_settings.customUserAgentOn = m_customOn->isChecked();
    m_settings.customUserAgent = toBytes(m_customText->text());
    m_settings.maxRedirections = m_redirections->value();
    m_settings.timeoutSeconds = m_timeout->value();
    m_settings.maxLengthOn = m_maxLengthOn->isChecked();
    m_settings.maxLength = m_maxLength->value();
    m_settings.exclusionsOn = m_exclusionsOn->isChecked();
    m_settings.exclusions.clear();
    const QStringList lines = m_exclusions->toPlainText().split(QLatin1Char('\n'));
    for (const QString& line : lines)
        m_settings.exclusions.push_back(toBytes(line));
    // A text box always ends without a line of its own; a lone empty line means no list.
    while (!m_settings.exclusions.empty() && m_settings.exclusions.back().empty())
        m_settings.exclusions.pop_back();
}

void SettingsDialog::presetChange(int index)
{
    if (index >= 0 && index < int(kUserAgentPresets.size()))
        m_presetText->setText(latin1(kUserAgentPresets[size_t(index)].text));
}

void SettingsDialog::okClick()
{
    modelFromControls();
    if (m_saveSettings)
        m_saveSettings();
    if (m_loadSettings)
        m_loadSettings();
    controlsFromModel();
    done(QDialog::Accepted);
}

void SettingsDialog::cancelClick()
{
    // The controls are the live store: what was typed counts until the files are read back,
    // and the exclusions and length limit, which no file holds, stay as typed.
    modelFromControls();
    reject();
}
