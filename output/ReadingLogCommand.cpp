// The reading log: Operate, Start Log / Stop Log, and what the status bar says of it.
#include "app/Form1.h"

#include "output/CommonDialog.h"
#include "output/ReadingLog.h"
#include "readings/RunReadings.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

void Form1::menulog_Click() {
    if (runReadings->log())
        stopLog();
    else
        startLog();
}

void Form1::startLog() {
    // The log's type is not one of the saves': the next save offers the type it offered before.
    const int saveType = CommonDialog1->FilterIndex;
    // An existing file is appended to, so there is nothing to confirm.
    CommonDialog1->OverwritePrompt = false;
    const bool chosen = showSaveDialog(QStringLiteral("csv格式 (*.csv)|*.csv|"), QStringLiteral(".csv"),
                                       QStringLiteral(".csv"), false);
    CommonDialog1->OverwritePrompt = true;
    CommonDialog1->FilterIndex = saveType;
    if (!chosen)
        return;
    const QString path = CommonDialog1->FileName;
    const QString failure = runReadings->startLog(path);
    if (!failure.isEmpty()) {
        reportSaveError(path, failure);
        return;
    }
    menulog->setText(tr("Stop Log"));
    showLogState();
}

void Form1::stopLog() {
    runReadings->stopLog();
    menulog->setText(tr("Start Log"));
    StatusBar1Log->hide();
}

void Form1::showLogState() {
    const ReadingLog *log = runReadings->log();
    StatusBar1Log->setText(
        QStringLiteral("Log: %1, %2 rows").arg(QFileInfo(log->path()).fileName()).arg(log->rows()));
    StatusBar1Log->setToolTip(QDir::toNativeSeparators(log->path()));
    StatusBar1Log->show();
}

void Form1::reportLogStopped(const QString &path, qint64 rows, const QString &failure) {
    stopLog();
    // Told once the receive handler has returned, so a message box never holds up the link.
    QTimer::singleShot(0, this, [this, path, rows, failure] {
        warnUser(QStringLiteral("The log stopped after %1 rows: %2 cannot be written.\r\n%3")
                     .arg(rows)
                     .arg(QDir::toNativeSeparators(path), failure),
                 QStringLiteral("Log Error!"));
    });
}
