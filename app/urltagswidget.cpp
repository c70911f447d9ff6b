#include "app/urltagswidget.h"

#include "app/errordialog.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>

namespace {

QString latin1(std::string_view text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

std::string bytes(const QString& text) { return text.toLatin1().toStdString(); }

} // namespace

UrlTagsWidget::UrlTagsWidget(TagSettings& tags, std::function<void(std::string_view, const std::string&)> apply,
                             QWidget* parent)
    : QGroupBox(QStringLiteral("Set URL tags"), parent)
    , m_tags(tags)
    , m_apply(std::move(apply))
{
    m_lastModifiedOn = new QCheckBox(QStringLiteral("Last Modified:"), this);
    m_date = new QDateEdit(this);
    m_date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_date->setCalendarPopup(true);
    m_date->setDate(QDate::currentDate());
    m_frequencyOn = new QCheckBox(QStringLiteral("Change Frequency:"), this);
    m_frequency = new QComboBox(this);
    for (const auto entry : kChangeFrequencies)
        m_frequency->addItem(latin1(entry));
    m_priorityOn = new QCheckBox(QStringLiteral("Priority:"), this);
    m_priority = new QComboBox(this);
    for (const auto entry : kPriorities)
        m_priority->addItem(latin1(entry));
    m_selectedOnly = new QCheckBox(this);
    m_selectedOnlyLabel = new QLabel(QStringLiteral("Check this to apply changes to selected rows only"), this);
    m_selectedOnlyLabel->setCursor(Qt::PointingHandCursor);
    m_selectedOnlyLabel->installEventFilter(this);

    // The panel starts from the tag settings it is given (the defaults of program start).
    m_lastModifiedOn->setChecked(m_tags.lastModifiedOn);
    if (!m_tags.lastModified.empty())
        m_date->setDate(QDate::fromString(latin1(m_tags.lastModified), QStringLiteral("yyyy-MM-dd")));
    m_frequencyOn->setChecked(m_tags.changeFrequencyOn);
    m_frequency->setCurrentText(latin1(m_tags.changeFrequency));
    m_priorityOn->setChecked(m_tags.priorityOn);
    m_priority->setCurrentText(latin1(m_tags.priority));
    m_selectedOnly->setChecked(m_tags.selectedRowsOnly);
    syncSettings();

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_lastModifiedOn, 0, 0);
    layout->addWidget(m_date, 0, 1);
    layout->addWidget(m_frequencyOn, 1, 0);
    layout->addWidget(m_frequency, 1, 1);
    layout->addWidget(m_priorityOn, 2, 0);
    layout->addWidget(m_priority, 2, 1);
    auto* selectedRow = new QHBoxLayout;
    selectedRow->addWidget(m_selectedOnly);
    selectedRow->addWidget(m_selectedOnlyLabel, 1);
    layout->addLayout(selectedRow, 0, 2, 3, 1, Qt::AlignVCenter);

    // A user click on a box applies its tag; changes made from code never arrive here.
    connect(m_lastModifiedOn, &QCheckBox::clicked, this, [this] { guarded([this] { CheckBox3Click(); }); });
    connect(m_frequencyOn, &QCheckBox::clicked, this, [this] { guarded([this] { CheckBox5Click(); }); });
    connect(m_priorityOn, &QCheckBox::clicked, this, [this] { guarded([this] { CheckBox6Click(); }); });
    connect(m_selectedOnly, &QCheckBox::toggled, this, [this] { syncSettings(); });
    connect(m_frequency, &QComboBox::currentIndexChanged, this, [this] { syncSettings(); });
    connect(m_priority, &QComboBox::currentIndexChanged, this, [this] { syncSettings(); });
    connect(m_date, &QDateEdit::dateChanged, this, [this] { guarded([this] { DateTimePicker1Change(); }); });
    // Closing the calendar or a list applies the value shown.
    connect(m_date->calendarWidget(), &QCalendarWidget::clicked, this, [this] { guarded([this] { CheckBox3Click(); }); });
    connect(m_frequency, &QComboBox::activated, this, [this] { guarded([this] { ComboBox2Change(); CheckBox5Click(); }); });
    connect(m_priority, &QComboBox::activated, this, [this] { guarded([this] { ComboBox3Change(); CheckBox6Click(); }); });
}

void UrlTagsWidget::syncSettings()
{
    m_tags.lastModifiedOn = m_lastModifiedOn->isChecked();
    m_tags.lastModified = bytes(m_date->date().toString(QStringLiteral("yyyy-MM-dd")));
    m_tags.changeFrequencyOn = m_frequencyOn->isChecked();
    m_tags.changeFrequency = bytes(m_frequency->currentText());
    m_tags.priorityOn = m_priorityOn->isChecked();
    m_tags.priority = bytes(m_priority->currentText());
    m_tags.selectedRowsOnly = m_selectedOnly->isChecked();
}

void UrlTagsWidget::CheckBox3Click()
{
    syncSettings();
    m_apply(kTagLastMod, m_tags.lastModified);
}

void UrlTagsWidget::CheckBox5Click()
{
    syncSettings();
    m_apply(kTagChangeFreq, m_tags.changeFrequency);
}

void UrlTagsWidget::CheckBox6Click()
{
    syncSettings();
    m_apply(kTagPriority, m_tags.priority);
}

void UrlTagsWidget::tick(QCheckBox* box, void (UrlTagsWidget::*click)())
{
    syncSettings();
    if (box->isChecked())
        return;
    box->setChecked(true);
    (this->*click)();
}

void UrlTagsWidget::DateTimePicker1Change() { tick(m_lastModifiedOn, &UrlTagsWidget::CheckBox3Click); }

void UrlTagsWidget::ComboBox2Change() { tick(m_frequencyOn, &UrlTagsWidget::CheckBox5Click); }

void UrlTagsWidget::ComboBox3Change() { tick(m_priorityOn, &UrlTagsWidget::CheckBox6Click); }

void UrlTagsWidget::Label8Click() { m_selectedOnly->toggle(); }

bool UrlTagsWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_selectedOnlyLabel && event->type() == QEvent::MouseButtonRelease) {
        guarded([this] { Label8Click(); });
        return true;
    }
    return QGroupBox::eventFilter(watched, event);
}
