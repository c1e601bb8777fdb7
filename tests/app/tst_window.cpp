// The window as it comes up, the tab rules, About, Clear and Close.
#include "app/ClockFormat.h"
#include "app/Form1.h"
#include "app/TabStrip.h"
#include "link/TimerControl.h"
#include "measure/GridControl.h"
#include "support/FakePlatform.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

namespace {

// Enabled state of a button, a menu entry or a whole menu, found by its control name.
QObject *control(const Form1 &form, const QString &name) {
    QObject *found = form.findChild<QObject *>(name);
    if (!found)
        qFatal("no control named %s", qPrintable(name));
    if (auto *menu = qobject_cast<QMenu *>(found))
        return menu->menuAction(); // a whole menu is enabled through its entry in the menu bar
    return found;
}

bool isEnabled(const Form1 &form, const QString &name) {
    QObject *found = control(form, name);
    if (auto *action = qobject_cast<QAction *>(found))
        return action->isEnabled();
    return qobject_cast<QWidget *>(found)->isEnabled();
}

void setEnabled(const Form1 &form, const QString &name, bool enabled) {
    QObject *found = control(form, name);
    if (auto *action = qobject_cast<QAction *>(found))
        action->setEnabled(enabled);
    else
        qobject_cast<QWidget *>(found)->setEnabled(enabled);
}

void clickTab(Form1 &form, int index) {
    if (!form.isVisible()) {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
    QTabBar *bar = form.TabStrip1->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index - 1).center());
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT
private slots:
    void commandStatesAtStart_data();
    void commandStatesAtStart();
    void controlsAtStart();
    void layoutInTwips_data();
    void layoutInTwips();
    void formStateAtStart();
    void tabClicks_data();
    void tabClicks();
    void realtimeTabHidesProgressRecordTabLeavesIt();
    void clickingSelectedTabAgainChangesNothing();
    void statusBarShowsDateAndTime();
    void clockShowsSecondsWithoutTimeZone_data();
    void clockShowsSecondsWithoutTimeZone();
    void tabChangesOnlyByLeftClick();
    void aboutMessage();
    void operateClearWorksWhileClearButtonIsDisabled();
    void closeEndsTheProgramAndSilencesTheLink();
};

void WindowTest::commandStatesAtStart_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("enabled");
    const std::pair<const char *, bool> rows[] = {
        {"Button_read", false}, {"menuread", false},    {"Button_clear", false}, {"menuclear", true},
        {"Button_save", true},  {"Button_print", true}, {"Button_help", true},   {"Button_close", true},
        {"menusave", true},     {"menuclose", true},    {"menuprint", true},     {"menuabout", true},
        {"menuhelp", true},     {"menufile", true},     {"menuoprate", true},    {"TabStrip1", true},
    };
    for (const auto &[control, enabled] : rows)
        QTest::newRow(control) << QString::fromLatin1(control) << enabled;
}

void WindowTest::commandStatesAtStart() {
    QFETCH(QString, control);
    QFETCH(bool, enabled);
    FakePlatform platform;
    Form1 form(platform);
    QCOMPARE(isEnabled(form, control), enabled);
}

void WindowTest::controlsAtStart() {
    FakePlatform platform;
    Form1 form(platform);
    QCOMPARE(form.windowTitle(), QStringLiteral("Large Caliber Power Clamp"));
    QVERIFY(!form.windowIcon().isNull());
    QCOMPARE(form.windowIcon().availableSizes().value(0), QSize(32, 32));
    QCOMPARE(form.TabStrip1->SelectedIndex(), 1);
    QCOMPARE(form.TabStrip1->tabBar()->tabText(0), QStringLiteral("Realtime"));
    QCOMPARE(form.TabStrip1->tabBar()->tabText(1), QStringLiteral("Record"));
    QVERIFY(!form.Frame_realtime->isHidden());
    QVERIFY(form.DataGrid->isHidden());
    QVERIFY(form.Progress_read->isHidden());
    QCOMPARE(form.Lab_rtsta->text(), QStringLiteral("Unconnected"));
    QCOMPARE(form.LabComsta->text(), QStringLiteral("COM status"));
    const QStringList items{"P1:", "Q1:", "S1:", "PF1:"};
    for (int row = 0; row < 4; ++row) {
        QCOMPARE(form.Lab_testpro[size_t(row)]->text(), items[row]);
        QCOMPARE(form.Lab_value[size_t(row)]->text(), QStringLiteral("0.00mA"));
        QCOMPARE(form.Lab_value[size_t(row)]->palette().color(QPalette::WindowText), QColor(0, 192, 0));
        QCOMPARE(form.Lab_value[size_t(row)]->font().pointSize(), 48);
        QVERIFY(form.Lab_value[size_t(row)]->font().bold());
        // Meter bytes such as "<b>" must show as they are, not as markup.
        QCOMPARE(form.Lab_value[size_t(row)]->textFormat(), Qt::PlainText);
        QCOMPARE(form.Lab_testpro[size_t(row)]->textFormat(), Qt::PlainText);
    }
    QCOMPARE(form.StatusBar1Panels[1]->text(), QStringLiteral("Large Caliber Power Clamp"));
    const QStringList buttons{"Read", "Save", "Clear", "Print", "Help", "Close"};
    for (const QString &caption : buttons) {
        auto *button = form.findChild<QToolButton *>(QStringLiteral("Button_") + caption.toLower());
        QCOMPARE(button->text(), caption);
        QVERIFY(!button->icon().isNull());
    }
    const QStringList menus{"File", "Operate", "Help"};
    const QList<QAction *> menuActions = form.menuBar()->actions();
    QCOMPARE(menuActions.size(), menus.size());
    for (int i = 0; i < menus.size(); ++i)
        QCOMPARE(menuActions[i]->text(), menus[i]);

    struct TimerAtStart {
        TimerControl *timer;
        int interval;
        bool enabled;
    };
    const TimerAtStart timers[] = {{form.Timer_date.get(), 1000, true},
                                   {form.engine.Timer_findcom.get(), 600, true},
                                   {form.engine.Timer_real.get(), 1500, false},
                                   {form.engine.Timer_read.get(), 30, false},
                                   {form.engine.Timer_timeout.get(), 2500, true}};
    for (const TimerAtStart &expected : timers) {
        QCOMPARE(expected.timer->Interval(), expected.interval);
        QCOMPARE(expected.timer->Enabled(), expected.enabled);
    }
    QVERIFY(!form.engine.MSComm1->PortOpen()); // start-up opens no port
}

void WindowTest::layoutInTwips_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("twipsRect");
    const std::pair<const char *, QRect> rows[] = {
        {"Button_read", {9960, 840, 1095, 855}},  {"Button_close", {9960, 6360, 1095, 855}},
        {"TabStrip1", {960, 840, 8535, 7935}},    {"Frame_realtime", {1080, 1440, 8295, 7215}},
        {"Lab_testpro0", {240, 840, 2505, 1020}}, {"Lab_testpro3", {240, 4800, 2520, 1020}},
        {"Lab_value2", {3000, 3480, 5055, 1020}}, {"Progress_read", {3000, 4080, 3855, 220}},
        {"Lab_rtsta", {9840, 8280, 1815, 375}},   {"LabComsta", {9840, 7680, 1815, 375}},
        {"DataGrid", {1000, 1440, 8000, 7075}},
    };
    for (const auto &[control, rect] : rows)
        QTest::newRow(control) << QString::fromLatin1(control) << rect;
}

void WindowTest::layoutInTwips() {
    QFETCH(QString, control);
    QFETCH(QRect, twipsRect);
    FakePlatform platform;
    Form1 form(platform);
    const QRect pixels = form.findChild<QWidget *>(control)->geometry();
    // Within a pixel of the design, which is given in twips (15 to a pixel).
    QVERIFY2(qAbs(pixels.x() * 15 - twipsRect.x()) < 15 && qAbs(pixels.y() * 15 - twipsRect.y()) < 15 &&
                 qAbs(pixels.width() * 15 - twipsRect.width()) < 15 &&
                 qAbs(pixels.height() * 15 - twipsRect.height()) < 15,
             qPrintable(QStringLiteral("%1,%2 %3x%4 px")
                            .arg(pixels.x())
                            .arg(pixels.y())
                            .arg(pixels.width())
                            .arg(pixels.height())));
}

void WindowTest::formStateAtStart() {
    FakePlatform platform;
    Form1 form(platform);
    QCOMPARE(form.state.RealtimeView, true);
    QCOMPARE(form.engine.state.MeterFound, false);
    QCOMPARE(form.engine.state.ComNum, int16_t(1));
    QCOMPARE(form.engine.state.LinkStatus, uint8_t(LinkIdle));
    QCOMPARE(form.engine.state.RecordTotal, int16_t(0));
    QCOMPARE(form.engine.state.Type3Value, uint8_t(0));
    QCOMPARE(form.engine.state.RecordBlocks, uint8_t(0));
    QCOMPARE(form.engine.state.RxExpectLen, uint8_t(0));
    QCOMPARE(form.engine.state.ItemName[0], QStringLiteral("I"));
    QCOMPARE(form.engine.state.UnitName[21], QStringLiteral("KHz"));
    // The client area, status bar included, is 777 x 650 below the menu bar.
    QCOMPARE(form.centralWidget()->width(), 777);
    QCOMPARE(form.centralWidget()->height() + form.StatusBar1->height(), 650);
}

void WindowTest::tabClicks_data() {
    QTest::addColumn<bool>("meterFound");
    QTest::addColumn<int>("tab");
    QTest::addColumn<bool>("readEnabled");
    QTest::addColumn<bool>("clearEnabled");
    QTest::newRow("Record before the meter answered") << false << 2 << false << true;
    QTest::newRow("Record once the meter answered") << true << 2 << true << true;
    QTest::newRow("Realtime once the meter answered") << true << 1 << false << false;
    QTest::newRow("Realtime before the meter answered") << false << 1 << false << false;
}

void WindowTest::tabClicks() {
    QFETCH(bool, meterFound);
    QFETCH(int, tab);
    QFETCH(bool, readEnabled);
    QFETCH(bool, clearEnabled);
    FakePlatform platform;
    Form1 form(platform);
    form.engine.state.MeterFound = meterFound;
    const QStringList alwaysOn{"Button_save", "menusave",    "Button_print",
                               "menuprint",   "Button_help", "menuhelp"};
    for (const QString &name : alwaysOn)
        setEnabled(form, name, false);
    clickTab(form, tab);

    QCOMPARE(form.state.RealtimeView, tab == 1);
    QCOMPARE(form.Frame_realtime->isHidden(), tab != 1);
    QCOMPARE(form.DataGrid->isHidden(), tab == 1);
    QVERIFY(form.engine.Timer_real->Enabled());
    QCOMPARE(isEnabled(form, "Button_read"), readEnabled);
    QCOMPARE(isEnabled(form, "menuread"), readEnabled);
    QCOMPARE(isEnabled(form, "Button_clear"), clearEnabled);
    QCOMPARE(isEnabled(form, "menuclear"), clearEnabled);
    for (const QString &name : alwaysOn)
        QVERIFY2(isEnabled(form, name), qPrintable(name));
}

void WindowTest::realtimeTabHidesProgressRecordTabLeavesIt() {
    FakePlatform platform;
    Form1 form(platform);
    clickTab(form, 2);
    form.Progress_read->show();
    clickTab(form, 2);
    QVERIFY(!form.Progress_read->isHidden());
    clickTab(form, 1);
    QVERIFY(form.Progress_read->isHidden());
    clickTab(form, 2);
    QVERIFY(form.Progress_read->isHidden());
}

void WindowTest::clickingSelectedTabAgainChangesNothing() {
    FakePlatform platform;
    Form1 form(platform);
    form.engine.state.MeterFound = true;
    clickTab(form, 2);
    platform.clock.advance(1000);
    clickTab(form, 2);
    QCOMPARE(form.TabStrip1->SelectedIndex(), 2);
    QVERIFY(!form.state.RealtimeView);
    QVERIFY(isEnabled(form, "Button_read"));
    // Enabling polling again keeps its countdown: the first poll is 1500 ms after the first click.
    QCOMPARE(static_cast<VirtualTimer *>(form.engine.Timer_real.get())->dueAt(), int64_t(1500));
}

void WindowTest::statusBarShowsDateAndTime() {
    FakePlatform platform;
    const QDateTime before = QDateTime::currentDateTime();
    Form1 form(platform);
    const QDateTime after = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    const QString clock = clockTimeFormat(locale.timeFormat(QLocale::LongFormat));
    // Shown from the first moment, before the first tick.
    QVERIFY((QStringList{locale.toString(before.date(), QLocale::ShortFormat),
                         locale.toString(after.date(), QLocale::ShortFormat)})
                .contains(form.StatusBar1Panels[0]->text()));
    QVERIFY((QStringList{locale.toString(before.time(), clock), locale.toString(after.time(), clock)})
                .contains(form.StatusBar1Panels[2]->text()));
}

void WindowTest::clockShowsSecondsWithoutTimeZone_data() {
    QTest::addColumn<QString>("longFormat");
    QTest::addColumn<QString>("clockFormat");
    QTest::newRow("12-hour with zone") << "h:mm:ss AP t"
                                       << "h:mm:ss AP";
    QTest::newRow("24-hour with zone") << "HH:mm:ss t"
                                       << "HH:mm:ss";
    QTest::newRow("zone first") << "tttt HH:mm:ss"
                                << "HH:mm:ss";
    QTest::newRow("quoted t is text") << "HH:mm:ss 'tt' t"
                                      << "HH:mm:ss 'tt'";
    QTest::newRow("no zone") << "HH.mm.ss"
                             << "HH.mm.ss";
}

void WindowTest::clockShowsSecondsWithoutTimeZone() {
    QFETCH(QString, longFormat);
    QFETCH(QString, clockFormat);
    QCOMPARE(clockTimeFormat(longFormat), clockFormat);
    // With real locale data, too.
    const QLocale unitedStates(QLocale::English, QLocale::UnitedStates);
    QCOMPARE(
        unitedStates.toString(QTime(13, 5, 9), clockTimeFormat(unitedStates.timeFormat(QLocale::LongFormat))),
        QStringLiteral("1:05:09 PM"));
}

void WindowTest::tabChangesOnlyByLeftClick() {
    FakePlatform platform;
    Form1 form(platform);
    clickTab(form, 1);
    QTabBar *bar = form.TabStrip1->tabBar();
    const QPoint recordTab = bar->tabRect(1).center();
    QTest::mouseClick(bar, Qt::RightButton, {}, recordTab);
    QWheelEvent wheel(recordTab, bar->mapToGlobal(recordTab), {}, {0, -120}, Qt::NoButton, {},
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(bar, &wheel);
    QTest::keyClick(bar, Qt::Key_Right);
    QCOMPARE(form.TabStrip1->SelectedIndex(), 1);
    QVERIFY(form.state.RealtimeView);
    QVERIFY(!form.Frame_realtime->isHidden());
}

void WindowTest::aboutMessage() {
    FakePlatform platform;
    Form1 form(platform);
    for (QAction *about : {form.menuabout, static_cast<QAction *>(nullptr)}) {
        platform.messages.clear();
        about ? about->trigger() : form.Button_help->click();
        QCOMPARE(platform.messages.size(), size_t(1));
        const MessageBoxRequest &shown = platform.messages.front();
        QCOMPARE(shown.text,
                 QStringLiteral("Large Caliber Power Clamp Software(EN).\r Please contact us for more "
                                "information!\r"));
        QCOMPARE(shown.text.count(QLatin1Char('\r')), 2);
        QVERIFY(!shown.text.contains(QLatin1Char('\n')));
        QCOMPARE(shown.title, QStringLiteral("Thank you for using our product."));
        QCOMPARE(shown.icon, QMessageBox::Information);
    }
}

void WindowTest::operateClearWorksWhileClearButtonIsDisabled() {
    FakePlatform platform;
    Form1 form(platform);
    form.DataGrid->setRows(6);
    form.DataGrid->setTextMatrix(4, 2, QStringLiteral("230.1V"));
    QVERIFY(!form.Button_clear->isEnabled());
    QVERIFY(form.menuclear->isEnabled());
    form.menuclear->trigger();
    QCOMPARE(form.DataGrid->Rows(), 2);
    QCOMPARE(form.DataGrid->TextMatrix(0, 0), QStringLiteral("NO."));
    // Clearing an empty grid leaves it as laid out at start.
    form.menuclear->trigger();
    QCOMPARE(form.DataGrid->Rows(), 2);
    QCOMPARE(form.DataGrid->Cols(), 5);
}

void WindowTest::closeEndsTheProgramAndSilencesTheLink() {
    FakePlatform platform;
    Form1 form(platform);
    platform.serial->openOutcome[1] = CommNoError;
    platform.clock.advance(600); // the first probe opens port 1 and sends a link check
    QVERIFY(form.engine.MSComm1->PortOpen());
    const QString statusBefore = form.Lab_rtsta->text();
    form.menuclose->trigger();
    QCOMPARE(platform.ends, 1);
    QVERIFY(!form.engine.MSComm1->PortOpen());
    // No time-out handling and no receive handling runs afterwards.
    platform.serial->openOutcome[1] = CommNoError;
    platform.clock.advance(10000);
    QCOMPARE(form.Lab_rtsta->text(), statusBefore);
    QVERIFY(platform.serial->log.filter(QStringLiteral("open")).size() <= 1);
}

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
