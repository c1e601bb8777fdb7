#include "app/Form1.h"

#include "app/Fonts.h"
#include "app/Platform.h"
#include "app/TabStrip.h"
#include "app/Twips.h"
#include "link/SerialControl.h"
#include "link/TimerControl.h"
#include "measure/GridControl.h"
#include "output/CommonDialog.h"
#include "output/PrinterControl.h"
#include "output/ReadingLog.h"
#include "trend/ReadingHistory.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>

namespace {

constexpr int ClientWidth = 11655;
constexpr int ClientHeight = 9750;
constexpr int StatusBarHeight = 495;
const QColor LabelGreen(0, 192, 0);

void placeTwips(QWidget *widget, int left, int top, int width, int height) {
    widget->setGeometry(twips(left), twips(top), twips(width), twips(height));
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption, const QFont &font) {
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    // Meter bytes are shown as they come, never taken for markup.
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    return label;
}

} // namespace

Form1::Form1(Platform &platform, QWidget *parent)
    : QMainWindow(parent), engine(platform), readingHistory(std::make_unique<ReadingHistory>()),
      platform(platform) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Large Caliber Power Clamp"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/powerclamp.png")));

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("clientArea"));
    client->setFixedSize(twips(ClientWidth), twips(ClientHeight - StatusBarHeight));
    setCentralWidget(client);

    createViews();
    createCommands();
    createStatusDisplay();
    createTimers();
    CommonDialog1 = platform.createCommonDialog(this);
    Printer = platform.createPrinter();
    connectEvents();
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    Form_Load();
}

Form1::~Form1() = default;

void Form1::createCommands() {
    struct CommandButton {
        QToolButton *&button;
        const char *name;
        const char *caption;
        int top;
        const char *icon;
    };
    const CommandButton buttons[] = {
        {Button_read, "Button_read", "Read", 840, "read"},
        {Button_save, "Button_save", "Save", 2040, "save"},
        {Button_clear, "Button_clear", "Clear", 3120, "clear"},
        {Button_print, "Button_print", "Print", 4200, "print"},
        {Button_help, "Button_help", "Help", 5280, "help"},
        {Button_close, "Button_close", "Close", 6360, "close"},
    };
    for (const CommandButton &design : buttons) {
        design.button = new QToolButton(centralWidget());
        design.button->setObjectName(QLatin1String(design.name));
        design.button->setText(QLatin1String(design.caption));
        design.button->setIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(design.icon))));
        design.button->setIconSize(design.button == Button_help ? QSize(24, 24) : QSize(32, 32));
        design.button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        placeTwips(design.button, 9960, design.top, 1095, 855);
    }
    Button_clear->setEnabled(false);

    auto addMenu = [this](const char *name, const QString &caption) {
        QMenu *menu = menuBar()->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    auto addEntry = [](QMenu *menu, const char *name, const QString &caption) {
        QAction *entry = menu->addAction(caption);
        entry->setObjectName(QLatin1String(name));
        return entry;
    };
    menufile = addMenu("menufile", tr("File"));
    menuread = addEntry(menufile, "menuread", tr("Read"));
    menusave = addEntry(menufile, "menusave", tr("Save"));
    menuclose = addEntry(menufile, "menuclose", tr("Close"));
    menuoprate = addMenu("menuoprate", tr("Operate"));
    menuclear = addEntry(menuoprate, "menuclear", tr("Clear"));
    menuprint = addEntry(menuoprate, "menuprint", tr("Print"));
    menulog = addEntry(menuoprate, "menulog", tr("Start Log"));
    menutrend = addEntry(menuoprate, "menutrend", tr("Trend"));
    menuhelp = addMenu("menuhelp", tr("Help"));
    menuabout = addEntry(menuhelp, "menuabout", tr("About"));
}

void Form1::createViews() {
    TabStrip1 = new TabStrip({tr("Realtime"), tr("Record")}, centralWidget());
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    TabStrip1->setFont(cjkFont(12, true));
    placeTwips(TabStrip1, 960, 840, 8535, 7935);

    Frame_realtime = new QFrame(centralWidget());
    Frame_realtime->setObjectName(QStringLiteral("Frame_realtime"));
    placeTwips(Frame_realtime, 1080, 1440, 8295, 7215);

    const QFont readingFont = cjkFont(48, true);
    QPalette green = Frame_realtime->palette();
    green.setColor(QPalette::WindowText, LabelGreen);
    const char *const itemCaptions[] = {"P1:", "Q1:", "S1:", "PF1:"};
    const int rowTops[] = {840, 2160, 3480, 4800};
    for (int row = 0; row < 4; ++row) {
        Lab_testpro[size_t(row)] = makeLabel(Frame_realtime, QStringLiteral("Lab_testpro%1").arg(row),
                                             QLatin1String(itemCaptions[row]), readingFont);
        placeTwips(Lab_testpro[size_t(row)], 240, rowTops[row], row == 3 ? 2520 : 2505, 1020);
        Lab_value[size_t(row)] = makeLabel(Frame_realtime, QStringLiteral("Lab_value%1").arg(row),
                                           QStringLiteral("0.00mA"), readingFont);
        placeTwips(Lab_value[size_t(row)], 3000, rowTops[row], 5055, 1020);
        Lab_testpro[size_t(row)]->setPalette(green);
        Lab_value[size_t(row)]->setPalette(green);
    }

    DataGrid = new GridControl(centralWidget());
    DataGrid->setObjectName(QStringLiteral("DataGrid"));
    DataGrid->setFont(cjkFont(10.5, false));

    Progress_read = new QProgressBar(centralWidget());
    Progress_read->setObjectName(QStringLiteral("Progress_read"));
    Progress_read->setTextVisible(false);
    placeTwips(Progress_read, 3000, 4080, 3855, 220);
    Progress_read->hide();
}

void Form1::createStatusDisplay() {
    const QFont statusFont = cjkFont(12, false);
    // The designed 1455 twips cut "COM16Unviable" short in any font at this size; the labels
    // reach to the window's edge instead so the port status is always readable.
    const int statusWidth = ClientWidth - 9840;
    LabComsta =
        makeLabel(centralWidget(), QStringLiteral("LabComsta"), QStringLiteral("COM status"), statusFont);
    placeTwips(LabComsta, 9840, 7680, statusWidth, 375);
    Lab_rtsta =
        makeLabel(centralWidget(), QStringLiteral("Lab_rtsta"), QStringLiteral("Unconnected"), statusFont);
    placeTwips(Lab_rtsta, 9840, 8280, statusWidth, 375);

    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFixedHeight(twips(StatusBarHeight));
    const char *const panelTexts[] = {"date", "Large Caliber Power Clamp", "time"};
    for (int panel = 0; panel < 3; ++panel) {
        auto *label = new QLabel(QLatin1String(panelTexts[panel]), StatusBar1);
        label->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(panel + 1));
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        StatusBar1->addWidget(label, panel == 1 ? 1 : 0);
        StatusBar1Panels[size_t(panel)] = label;
    }
    StatusBar1Log = new QLabel(StatusBar1);
    StatusBar1Log->setObjectName(QStringLiteral("StatusBar1Log"));
    StatusBar1Log->setFrameShape(QFrame::Panel);
    StatusBar1Log->setFrameShadow(QFrame::Sunken);
    StatusBar1->addPermanentWidget(StatusBar1Log);
    StatusBar1Log->hide();
}

void Form1::createTimers() {
    Timer_date = platform.createTimer();
    Timer_date->setObjectName(QStringLiteral("Timer_date"));
    Timer_date->setInterval(1000);
    Timer_date->setEnabled(true);
}

void Form1::connectEvents() {
    connect(Button_read, &QToolButton::clicked, this, &Form1::Button_read_Click);
    connect(Button_save, &QToolButton::clicked, this, &Form1::Button_save_Click);
    connect(Button_clear, &QToolButton::clicked, this, &Form1::Button_clear_Click);
    connect(Button_print, &QToolButton::clicked, this, &Form1::Button_print_Click);
    connect(Button_help, &QToolButton::clicked, this, &Form1::Button_help_Click);
    connect(Button_close, &QToolButton::clicked, this, &Form1::Button_close_Click);
    connect(menuread, &QAction::triggered, this, &Form1::menuread_Click);
    connect(menusave, &QAction::triggered, this, &Form1::menusave_Click);
    connect(menuclose, &QAction::triggered, this, &Form1::menuclose_Click);
    connect(menuclear, &QAction::triggered, this, &Form1::menuclear_Click);
    connect(menuprint, &QAction::triggered, this, &Form1::menuprint_Click);
    connect(menuabout, &QAction::triggered, this, &Form1::menuabout_Click);
    connect(menulog, &QAction::triggered, this, &Form1::menulog_Click);
    connect(menutrend, &QAction::triggered, this, &Form1::menutrend_Click);
    connect(TabStrip1, &TabStrip::Click, this, &Form1::TabStrip1_Click);
    connect(Timer_date.get(), &TimerControl::Timer, this, &Form1::Timer_date_Timer);
    connectEngine();
}

void Form1::connectEngine() {
    connect(&engine, &MeterEngine::portStatus, this, &Form1::ShowPortStatus);
    connect(&engine, &MeterEngine::linkConnected, this, &Form1::ShowConnected);
    connect(&engine, &MeterEngine::linkLost, this, &Form1::ShowLinkLost);
    connect(&engine, &MeterEngine::discoveryEnded, this, &Form1::ShowMeterFound);
    connect(&engine, &MeterEngine::realtimeReadings, this, &Form1::RealtimeDataHandle);
    connect(&engine, &MeterEngine::recordCount, this, &Form1::ShowRecordCount);
    connect(&engine, &MeterEngine::recordBlock, this, &Form1::RecordDataHandle);
    connect(&engine, &MeterEngine::downloadProgress, this, &Form1::ShowDownloadProgress);
    connect(&engine, &MeterEngine::downloadEnded, this, &Form1::ShowDownloadEnd);
    connect(&engine, &MeterEngine::portsRefused, this, &Form1::ReportRefusedPorts);
}
