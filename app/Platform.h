#pragma once

#include <QDateTime>
#include <QMessageBox>
#include <QString>

#include <cstdint>
#include <memory>

class CommonDialog;
class PrinterControl;
class QSettings;
class SerialControl;
class TimerControl;
class QWidget;

struct MessageBoxRequest {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Everything Form1 needs from the world outside the window. The program uses Qt's; the tests
// use doubles (a virtual clock, a scripted port, a scripted dialog) so every path runs headless.
class Platform {
public:
    virtual ~Platform() = default;

    virtual std::unique_ptr<TimerControl> createTimer() = 0;
    virtual std::unique_ptr<SerialControl> createSerialControl() = 0;
    virtual std::unique_ptr<CommonDialog> createCommonDialog(QWidget *owner) = 0;
    virtual std::unique_ptr<PrinterControl> createPrinter() = 0;
    // Where the window keeps what it remembers from one run to the next.
    virtual std::unique_ptr<QSettings> createSettings() = 0;

    // The wall clock, for the times the log and the trend show; the user or a time service may
    // set it back or forward.
    virtual QDateTime currentDateTime() const = 0;
    // Milliseconds on a clock that never goes back, for spans and intervals.
    virtual int64_t monotonicMs() const = 0;

    // A modal message box with an OK button; returns when the user closes it.
    virtual void MsgBox(QWidget *owner, const MessageBoxRequest &request) = 0;
    virtual void Beep() = 0;
    // Ends the program at once.
    virtual void End() = 0;
};
