#include "app/QtPlatform.h"

#include "output/QtCommonDialog.h"
#include "output/QtPrinterControl.h"

#include <QApplication>
#include <QCoreApplication>

std::unique_ptr<CommonDialog> QtPlatform::createCommonDialog(QWidget *owner) {
    return std::make_unique<QtCommonDialog>(owner, sharedPrinter());
}

std::unique_ptr<PrinterControl> QtPlatform::createPrinter() {
    return std::make_unique<QtPrinterControl>(sharedPrinter());
}

void QtPlatform::MsgBox(QWidget *owner, const MessageBoxRequest &request) {
    QMessageBox box(request.icon, request.title, request.text, QMessageBox::Ok, owner);
    // A carriage return is the message's line break; Qt's labels break only on LF.
    QString shown = request.text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown.trimmed());
    box.exec();
}

void QtPlatform::Beep() {
    QApplication::beep();
}

void QtPlatform::End() {
    QCoreApplication::exit(0);
}
