#pragma once

#include "link/LinkPlatform.h"

#include <QMessageBox>
#include <QString>

#include <memory>

class CommonDialog;
class PrinterControl;
class QWidget;

struct MessageBoxRequest {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Everything Form1 needs from the world outside the window: the engine's timers, port and
// clocks, and the window's dialogs, printer and message boxes. The program uses Qt's; the tests
// use doubles (a virtual clock, a scripted port, a scripted dialog) so every path runs headless.
class Platform : public virtual LinkPlatform {
public:
    virtual std::unique_ptr<CommonDialog> createCommonDialog(QWidget *owner) = 0;
    virtual std::unique_ptr<PrinterControl> createPrinter() = 0;

    // A modal message box with an OK button; returns when the user closes it.
    virtual void MsgBox(QWidget *owner, const MessageBoxRequest &request) = 0;
    virtual void Beep() = 0;
    // Ends the program at once.
    virtual void End() = 0;
};
