// The shell without network: start-up state, menus, diagnostics, settings dialog, About,
// closing while idle and the global error handler.
#include "guifixture.h"

#include "app/aboutwindow.h"
#include "app/crawlerpanelwidget.h"
#include "settings/listfile.h"
#include "settings/settingsdialog.h"
#include "view/rawheaderwindow.h"
#include "view/resultgridwidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace {

std::vector<std::string> entryTexts(const QMenu* menu)
{
    std::vector<std::string> texts;
    for (const QAction* action : menu->actions())
        texts.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    return texts;
}

} // namespace

TEST_F(GuiTest, StartsIdleWithBlankGridAndFirstStatusTexts)
{
    MainWindow& w = makeWindow();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Tarnwick"));
    EXPECT_EQ(w.minimumSize(), QSize(900, 400));
    EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
    EXPECT_EQ(w.statusPanel(0)->text(), QStringLiteral("URLs:"));
    EXPECT_EQ(w.statusPanel(1)->text(), QStringLiteral("Finished:"));
    EXPECT_EQ(w.statusPanel(2)->text(), QStringLiteral("Status:"));
    EXPECT_EQ(w.statusPanel(0)->width(), 220);
    EXPECT_EQ(w.statusPanel(1)->width(), 300);
    EXPECT_EQ(w.statusPanel(2)->width(), 200);
    EXPECT_EQ(w.statusPanel(3)->text(),
              QStringLiteral("Using 20 streams; HTTP version: 1.1; Timeout: 30sec; User Agent: Tarnwick v1.3; "));

    ResultGridWidget* grid = w.gridWidget();
    EXPECT_TRUE(w.grid().GridPlaceholder());
    EXPECT_EQ(grid->model()->rowCount(), 1001);
    EXPECT_EQ(grid->model()->columnCount(), 9);
    EXPECT_EQ(grid->model()->data(grid->model()->index(0, 0), Qt::DisplayRole).toString(), QString());
    EXPECT_EQ(grid->horizontalHeader()->height(), 20);
    EXPECT_FALSE(grid->horizontalHeader()->isSortIndicatorShown());
    // The placeholder ignores header clicks and opens no context menu.
    grid->horizontalHeader()->sectionClicked(3);
    EXPECT_EQ(w.grid().SortColumn(), 0);
    EXPECT_EQ(grid->PopupMenu1Popup(), nullptr);

    EXPECT_FALSE(w.rawHeaderWindow()->isVisible());
    EXPECT_EQ(w.rawHeaderWindow()->windowTitle(), QStringLiteral("Raw Header"));
    EXPECT_TRUE(errors.empty());
}

TEST_F(GuiTest, MenusHoldEveryEntryAndGreyOutDuringAScan)
{
    MainWindow& w = makeWindow();
    EXPECT_EQ(entryTexts(w.saveSitemapMenu()),
              (std::vector<std::string>{"Google XML sitemap", "HTML sitemap (url  in link)", "HTML sitemap (title in link)",
                           "Text file URLs"}));
    EXPECT_EQ(entryTexts(w.reportMenu()), (std::vector<std::string>{"Open Report", "Save Report", "-", "Save as CSV file"}));
    EXPECT_EQ(entryTexts(w.helpMenu()), (std::vector<std::string>{"Instructions (on line)", "Contact", "-", "About"}));
    EXPECT_EQ(w.settingsAction()->text(), QStringLiteral("Project Settings"));
    EXPECT_EQ(w.settingsAction()->menu(), nullptr);

    w.SetIdleControlsEnabled(false);
    for (QMenu* menu : {w.saveSitemapMenu(), w.reportMenu()}) {
        EXPECT_TRUE(menu->menuAction()->isEnabled());
        for (const QAction* action : menu->actions())
            EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    }
    EXPECT_FALSE(w.settingsAction()->isEnabled());
    EXPECT_FALSE(w.crawlerPanel()->startUrl()->isEnabled());
    EXPECT_FALSE(w.crawlerPanel()->stayInPath()->isEnabled());
    for (const QAction* action : w.helpMenu()->actions())
        EXPECT_TRUE(action->isEnabled());

    w.SetIdleControlsEnabled(true);
    for (const QAction* action : w.reportMenu()->actions())
        EXPECT_TRUE(action->isEnabled());
    EXPECT_TRUE(w.settingsAction()->isEnabled());
    EXPECT_TRUE(w.crawlerPanel()->startUrl()->isEnabled());
}

TEST_F(GuiTest, CtrlAltF9TogglesDiagnosticsAndOtherChordsDoNothing)
{
    MainWindow& w = makeWindow();
    w.show();
    QWidget* target = w.crawlerPanel()->startUrl();
    const auto shown = [&w] {
        return std::vector<bool>{w.diagnosticsList()->isVisible(), w.diagnosticsHistogram()->isVisible(),
                                 w.activeUrlsButton()->isVisible(), w.diagnosticsOn()};
    };
    const std::vector<bool> hidden(4, false);
    EXPECT_EQ(shown(), hidden);

    struct Chord {
        const char* name;
        Qt::KeyboardModifiers modifiers;
        bool toggles;
    } const chords[] = {
        {"F9 alone", Qt::NoModifier, false},
        {"Ctrl+F9", Qt::ControlModifier, false},
        {"Alt+F9", Qt::AltModifier, false},
        {"Ctrl+Alt+F9", Qt::ControlModifier | Qt::AltModifier, true},
        {"Ctrl+Alt+Shift+F9", Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier, true},
    };
    for (const Chord& chord : chords) {
        SCOPED_TRACE(chord.name);
        QTest::keyRelease(target, Qt::Key_F9, chord.modifiers);
        EXPECT_EQ(shown(), chord.toggles ? std::vector<bool>(4, true) : hidden);
        if (chord.toggles) {
            QTest::keyRelease(w.gridWidget(), Qt::Key_F9, chord.modifiers);
            EXPECT_EQ(shown(), hidden);
        }
    }
}

TEST_F(GuiTest, SettingsDialogOkWritesTheFileAndCancelRestoresIt)
{
    MainWindow& w = makeWindow();
    SettingsDialog* dialog = w.settingsDialog();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Project Settings"));
    EXPECT_EQ(dialog->connectionsBox()->currentText(), QStringLiteral("20"));
    EXPECT_EQ(dialog->httpVersionBox()->currentText(), QStringLiteral("HTTP/1.1"));
    EXPECT_EQ(dialog->presetBox()->currentText(), QStringLiteral("Google"));
    EXPECT_FALSE(dialog->presetText()->isEnabled());
    EXPECT_TRUE(dialog->customOnBox()->isChecked());
    EXPECT_EQ(dialog->customText()->text(), QStringLiteral("Tarnwick v1.3"));
    EXPECT_EQ(dialog->redirectionsBox()->minimum(), 1);
    EXPECT_EQ(dialog->redirectionsBox()->maximum(), 100);
    EXPECT_EQ(dialog->timeoutBox()->maximum(), 180);
    EXPECT_EQ(dialog->maxLengthBox()->minimum(), 10);
    EXPECT_EQ(dialog->maxLengthBox()->maximum(), 2000);

    // OK without changes writes the first-run values.
    bool cancelFocused = false;
    QTimer::singleShot(0, dialog, [&] {
        cancelFocused = dialog->focusWidget() == dialog->cancelButton();
        dialog->okButton()->click();
    });
    w.Options1Click();
    EXPECT_TRUE(cancelFocused);
    EXPECT_EQ(LoadListFromFile(folder() / "settings.dat"),
              (std::vector<std::string>{"7", "1", "1", "-1", "Tarnwick v1.3", "0", "10", "30"}));
    EXPECT_TRUE(std::filesystem::exists(folder() / "filter.dat"));
    EXPECT_TRUE(std::filesystem::exists(folder() / "settings2.dat"));

    // Cancel: the file's values come back; the exclusions, which no file holds, stay as typed.
    QTimer::singleShot(0, dialog, [&] {
        dialog->connectionsBox()->setCurrentIndex(0);
        dialog->timeoutBox()->setValue(99);
        dialog->exclusionsOnBox()->setChecked(true);
        dialog->exclusionsText()->setPlainText(QStringLiteral("logout\n?sort="));
        dialog->cancelButton()->click();
    });
    w.Options1Click();
    EXPECT_EQ(w.settings().connectionsIndex, 7);
    EXPECT_EQ(w.settings().timeoutSeconds, 30);
    EXPECT_TRUE(w.settings().exclusionsOn);
    EXPECT_EQ(w.settings().exclusions, (std::vector<std::string>{"logout", "?sort="}));

    // An emptied custom text comes back off and the preset's text is used.
    QTimer::singleShot(0, dialog, [&] {
        dialog->presetBox()->setCurrentText(QStringLiteral("IE9"));
        dialog->customText()->clear();
        dialog->okButton()->click();
    });
    w.Options1Click();
    EXPECT_FALSE(dialog->customOnBox()->isChecked());
    EXPECT_EQ(dialog->customText()->text(), QStringLiteral("Tarnwick v1.3"));
    EXPECT_EQ(w.controller().data().UserAgent, "Mozilla/5.0 (Windows; U; MSIE 9.0; WIndows NT 9.0; en-US))");
    EXPECT_TRUE(w.statusPanel(3)->text().contains(QStringLiteral("User Agent: Mozilla/5.0 (Windows; U; MSIE 9.0")));
}

TEST_F(GuiTest, AboutWindowClosesOnAnyKeyAndItsLinkChangesColour)
{
    MainWindow& w = makeWindow();
    AboutWindow* about = w.aboutWindow();
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About"));
    QStringList texts;
    for (const QLabel* label : about->findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains(QStringLiteral("Tarnwick v1.3")));
    EXPECT_TRUE(texts.contains(QStringLiteral("More software, contact, tech support:")));

    QLabel* link = about->linkLabel();
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(link, &enter);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(link, &leave);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));

    bool wasVisible = false;
    QTimer::singleShot(0, about, [&] {
        wasVisible = about->isVisible();
        QTest::keyClick(about->focusWidget() ? about->focusWidget() : about, Qt::Key_Q);
    });
    w.About2Click();
    EXPECT_TRUE(wasVisible);
    EXPECT_FALSE(about->isVisible());
}

TEST_F(GuiTest, ClosingWhileIdleAsksNothingSavesSettingsAndEndsWithZero)
{
    MainWindow& w = makeWindow();
    w.show();
    w.close();
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_EQ(exitCodes, std::vector<int>{0});
    EXPECT_TRUE(std::filesystem::exists(folder() / "settings.dat"));
    EXPECT_EQ(LoadListFromFile(folder() / "settings2.dat").back(), "0");
}

TEST_F(GuiTest, ErrorsFromHandlersReachTheGlobalHandler)
{
    MainWindow& w = makeWindow();
    w.show();
    // A start URL without a host fails inside the Start handler.
    w.crawlerPanel()->startUrl()->setText(QStringLiteral("http://"));
    w.crawlerPanel()->startButton()->click();
    EXPECT_EQ(errors, std::vector<std::string>{"Host field is empty"});
    EXPECT_EQ(w.crawlerPanel()->startButton()->text(), QStringLiteral("Start"));

    // A start URL of the wrong scheme is a plain notice.
    w.crawlerPanel()->startUrl()->setText(QStringLiteral("ftp://example.org/"));
    w.crawlerPanel()->startButton()->click();
    EXPECT_EQ(prompts.messages, std::vector<std::string>{"Url is not valid! It must begin with http or https"});
}

TEST_F(GuiTest, RawHeaderWindowRestoresItsGeometryAndShownStateAtStartUp)
{
    SaveListToFile({"100", "120", "400", "300", "-1"}, folder() / "settings2.dat");
    MainWindow& w = makeWindow();
    RawHeaderWindow* raw = w.rawHeaderWindow();
    EXPECT_TRUE(raw->isVisible());
    EXPECT_EQ(raw->size(), QSize(400, 300));
    EXPECT_TRUE(raw->windowFlags() & Qt::WindowStaysOnTopHint);
    raw->close();
    w.close();
    EXPECT_EQ(LoadListFromFile(folder() / "settings2.dat").back(), "0");
}
