// The reading log: Operate, Start Log / Stop Log, and the readings it and the trend keep.
#include "app/Form1.h"

#include "measure/CsvRows.h"
#include "output/CommonDialog.h"
#include "output/ReadingLog.h"
#include "trend/ReadingHistory.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

void Form1::menulog_Click() {
    if (readingLog)
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
    QString failure;
    readingLog = ReadingLog::open(path, csvHeader(), failure);
    if (!readingLog) {
        reportSaveError(path, failure);
        return;
    }
    menulog->setText(tr("Stop Log"));
    showLogState();
}

void Form1::stopLog() {
    readingLog.reset();
    menulog->setText(tr("Start Log"));
    StatusBar1Log->hide();
}

void Form1::appendToLog(const QByteArray &rows, int rowCount) {
    if (!readingLog)
        return;
    const QString failure = readingLog->append(rows, rowCount);
    if (failure.isEmpty()) {
        showLogState();
        return;
    }
    const QString path = readingLog->path();
    const qint64 rowsKept = readingLog->rows();
    stopLog();
    // Told once the receive handler has returned, so a message box never holds up the link.
    QTimer::singleShot(0, this, [this, path, rowsKept, failure] {
        warnUser(QStringLiteral("The log stopped after %1 rows: %2 cannot be written.\r\n%3")
                     .arg(rowsKept)
                     .arg(QDir::toNativeSeparators(path), failure),
                 QStringLiteral("Log Error!"));
    });
}

void Form1::showLogState() {
    StatusBar1Log->setText(QStringLiteral("Log: %1, %2 rows")
                               .arg(QFileInfo(readingLog->path()).fileName())
                               .arg(readingLog->rows()));
    StatusBar1Log->setToolTip(QDir::toNativeSeparators(readingLog->path()));
    StatusBar1Log->show();
}

void Form1::KeepReadings(const std::vector<ShownReading> &readings) {
    const QDateTime now = QDateTime::currentDateTime();
    const bool regained = readingHistory->addAnswer(now, readings);
    if (regained)
        appendToLog(csvLinkRow(now, true) + csvReadingRows(now, readings), int(readings.size()) + 1);
    else
        appendToLog(csvReadingRows(now, readings), int(readings.size()));
}

void Form1::KeepLinkLost() {
    const QDateTime now = QDateTime::currentDateTime();
    if (readingHistory->markLinkLost(now))
        appendToLog(csvLinkRow(now, false), 1);
}
