// The "Set URL tags" group: the three sitemap tags and whether changes reach only the
// selected lines. It keeps TagSettings up to date and asks for a tag to be applied whenever
// the user settles on a value.
#pragma once

#include "project/sitemaptags.h"

#include <QGroupBox>

#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;

class UrlTagsWidget final : public QGroupBox {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UrlTagsWidget)
public:
    // `apply` runs ApplyUrlTag with a tag name and its value.
    UrlTagsWidget(TagSettings& tags, std::function<void(std::string_view, const std::string&)> apply, QWidget* parent);

    QCheckBox* lastModifiedBox() const { return m_lastModifiedOn; }
    QDateEdit* datePicker() const { return m_date; }
    QCheckBox* changeFrequencyBox() const { return m_frequencyOn; }
    QComboBox* frequencyList() const { return m_frequency; }
    QCheckBox* priorityBox() const { return m_priorityOn; }
    QComboBox* priorityList() const { return m_priority; }
    QCheckBox* selectedOnlyBox() const { return m_selectedOnly; }
    QLabel* selectedOnlyLabel() const { return m_selectedOnlyLabel; }

    void CheckBox3Click();        // applies "lastmod" (ticking or unticking "Last Modified:")
    void CheckBox5Click();        // applies "changefreq"
    void CheckBox6Click();        // applies "priority"
    void DateTimePicker1Change(); // a new date ticks "Last Modified:"
    void ComboBox2Change();       // another frequency ticks "Change Frequency:"
    void ComboBox3Change();       // another priority ticks "Priority:"
    void Label8Click();           // the label toggles the selected-rows-only box

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Ticking from code counts as a click only when the state changes.
    void tick(QCheckBox* box, void (UrlTagsWidget::*click)());
    void syncSettings();

    TagSettings& m_tags;
    std::function<void(std::string_view, const std::string&)> m_apply;
    QCheckBox* m_lastModifiedOn = nullptr;
    QDateEdit* m_date = nullptr;
    QCheckBox* m_frequencyOn = nullptr;
    QComboBox* m_frequency = nullptr;
    QCheckBox* m_priorityOn = nullptr;
    QComboBox* m_priority = nullptr;
    QCheckBox* m_selectedOnly = nullptr;
    QLabel* m_selectedOnlyLabel = nullptr;
};
