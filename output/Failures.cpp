// How a failing save or printout tells the user: a beep and a warning box.
#include "app/Form1.h"

#include "app/Platform.h"

#include <QDir>

void Form1::warnUser(const QString &text, const QString &title) {
    platform.Beep();
    platform.MsgBox(this, {text, title, QMessageBox::Warning});
}

void Form1::reportSaveError(const QString &path, const QString &reason) {
    // An empty name would leave a gap where the reader looks for what was tried.
    const QString shownPath =
        path.isEmpty() ? QStringLiteral("(no file name)") : QDir::toNativeSeparators(path);
    warnUser(QStringLiteral("Cannot save %1\r\n").arg(shownPath) + reason, QStringLiteral("Saving Error!"));
}

void Form1::reportPrintingError(const QString &reason) {
    warnUser(QStringLiteral("文件打印出错.\r\n") + reason, QStringLiteral("Printing Error!"));
}
