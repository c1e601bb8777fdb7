#pragma once

#include "app/FormState.h"
#include "link/MeterEngine.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <memory>

class CommonDialog;
class GridControl;
class Platform;
class PrinterControl;
class QAction;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QStatusBar;
class QTabBar;
class TabStrip;
class QToolButton;
class ReadingHistory;
class ReadingLog;
class TimerControl;
class TrendWindow;

// The program's one window. It owns every control, the form state and the meter engine, whose
// listener it is; its handlers are implemented beside the subsystem they belong to (app/,
// measure/, output/, trend/).
class Form1 final : public QMainWindow {
    Q_OBJECT
public:
    explicit Form1(Platform &platform, QWidget *parent = nullptr);
    ~Form1() override;

    FormState state;
    // The link to the meter: port, polling, download. The window shows what it tells.
    MeterEngine engine;

    // Commands: six buttons and the menu entries that mirror them.
    QToolButton *Button_read, *Button_save, *Button_clear, *Button_print, *Button_help, *Button_close;
    QMenu *menufile, *menuoprate, *menuhelp;
    QAction *menuread, *menusave, *menuclose, *menuclear, *menuprint, *menuabout;
    // Operate menu additions: the reading log (start and stop) and the trend window.
    QAction *menulog, *menutrend;

    // Views.
    TabStrip *TabStrip1;
    QFrame *Frame_realtime;
    std::array<QLabel *, 4> Lab_testpro;
    std::array<QLabel *, 4> Lab_value;
    GridControl *DataGrid;
    QProgressBar *Progress_read;

    // Status display.
    QLabel *Lab_rtsta, *LabComsta;
    QStatusBar *StatusBar1;
    std::array<QLabel *, 3> StatusBar1Panels;
    // The running log's file and rows; hidden while no log runs.
    QLabel *StatusBar1Log;

    // Controls without a face.
    std::unique_ptr<CommonDialog> CommonDialog1;
    std::unique_ptr<PrinterControl> Printer;
    std::unique_ptr<TimerControl> Timer_date;

    // app/
    void Form_Load();
    void Button_close_Click();
    void Button_help_Click();
    void Button_clear_Click();
    void menuread_Click();
    void menusave_Click();
    void menuclose_Click();
    void menuclear_Click();
    void menuprint_Click();
    void menuabout_Click();
    void TabStrip1_Click();
    void Timer_date_Timer();

    // Read: the engine fetches the records (app/LinkDisplay.cpp).
    void Button_read_Click();

    // measure/: the readings the engine decoded, into the value panel and the grid.
    void RealtimeDataHandle(const ShownBlocks &readings);
    void GridInit();
    void RecordDataHandle(int16_t first, const std::vector<ShownBlocks> &records);

    // output/
    void Button_save_Click();
    void SaveRealtime();
    void SaveRecords();
    void ExportToExcel(const QString &path);
    void Button_print_Click();
    void menulog_Click();
    // Every realtime answer and every loss of the link, for the trend and the log.
    void KeepReadings(const std::vector<ShownReading> &readings);
    void KeepLinkLost();

    // trend/
    void menutrend_Click();

    // The readings of this session, the running log (none when no log runs) and the trend window.
    std::unique_ptr<ReadingHistory> readingHistory;
    std::unique_ptr<ReadingLog> readingLog;
    TrendWindow *trendWindow = nullptr;

private:
    // Every change of the commands' enabled states and of the tab strip's goes through here.
    enum class CommandMoment {
        Start,         // Read waits for the meter
        ViewShown,     // a tab was clicked
        MeterFound,    // discovery ended
        DownloadBegun, // Read froze the window
        DownloadEnded, // the last block or a count of 0
        TimedOut,      // the meter did not answer in time
    };
    void SetCommandStates(CommandMoment moment);
    void SetReadCommand(bool enabled);
    void SetOtherCommands(bool clearEnabled, bool savePrintHelpEnabled);
    // Read and Clear as the shown view allows them; Save, Print and Help on.
    void SetViewCommands();

    // What the engine tells, shown in the window (app/LinkDisplay.cpp).
    void ShowPortStatus(const QString &caption, const QString &reason);
    void ShowConnected();
    void ShowLinkLost();
    void ShowMeterFound();
    void ShowRecordCount(int16_t total);
    void ShowDownloadProgress(int16_t records);
    void ShowDownloadEnd(int16_t total);
    // Ports refused for permission during discovery: one notice, the search goes on.
    void ReportRefusedPorts(const QString &notice);

    // Helpers of measure/ handlers.
    void emptyGridRows(int fromRow, int toRow);

    // Helpers of output/ handlers.
    bool showSaveDialog(const QString &filter, const QString &firstTypeExt, const QString &otherTypeExt,
                        bool snapshotForFirstType);
    void reportSaveError(const QString &path, const QString &reason);
    void reportPrintingError(const QString &reason);
    void startLog();
    void stopLog();
    void appendToLog(const QByteArray &rows, int rowCount);
    void showLogState();
    void warnUser(const QString &text, const QString &title);

    void createCommands();
    void createViews();
    void createStatusDisplay();
    void createTimers();
    void connectEvents();
    void connectEngine();

    Platform &platform;
};
