// The Save command, the realtime save and the save dialog both saves share.
#include "app/Form1.h"

#include "output/CommonDialog.h"
#include "output/SaveFile.h"
#include "output/SaveLocation.h"
#include "output/SavePicture.h"
#include "output/ViewContent.h"

#include <QClipboard>
#include <QDate>
#include <QDir>
#include <QGuiApplication>
#include <QLocale>

void Form1::Button_save_Click() {
    if (state.RealtimeView)
        SaveRealtime();
    else
        SaveRecords();
}

void Form1::SaveRealtime() {
    if (!showSaveDialog(QStringLiteral("jpg格式 (*.jpg)|*.jpg|txt格式 (*.txt)|*.txt|"),
                        QStringLiteral(".jpg"), QStringLiteral(".txt"), true))
        return;
    const QString path = CommonDialog1->FileName;
    QString failure;
    if (CommonDialog1->FilterIndex <= 1) {
        failure = saveJpeg(path, QGuiApplication::clipboard()->image());
    } else {
        const TabStopWriter readings = realtimeReadings(realtimeReadingLines(*this), TextLayout::TextFile);
        failure = saveBytes(path, readings.text().toLocal8Bit());
    }
    if (!failure.isEmpty())
        reportSaveError(path, failure);
}

bool Form1::showSaveDialog(const QString &filter, const QString &firstTypeExt, const QString &otherTypeExt,
                           bool snapshotForFirstType) {
    const QString folder = defaultSaveFolder();
    CommonDialog1->FileName =
        defaultFileName(QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    CommonDialog1->Filter = filter;
    // The type of the last save of either view is the one the dialog offers first.
    CommonDialog1->DefaultExt = CommonDialog1->FilterIndex <= 1 ? firstTypeExt : otherTypeExt;
    CommonDialog1->InitDir = QDir::toNativeSeparators(folder);
    // A folder chosen in the dialog can still take the file, so the save goes on.
    const QString folderFailure = createFolder(folder);
    if (!folderFailure.isEmpty())
        warnUser(QStringLiteral("The folder %1 cannot be created; choose another folder.\r\n%2")
                     .arg(QDir::toNativeSeparators(folder), folderFailure),
                 QStringLiteral("Saving Error!"));
    // Taken before the dialog opens so the picture shows the window without it.
    if (snapshotForFirstType && CommonDialog1->FilterIndex <= 1)
        QGuiApplication::clipboard()->setImage(grab().toImage());
    CommonDialog1->CancelError = true;
    const int error = CommonDialog1->ShowSave();
    if (error == cdlCancel)
        return false;
    if (error != 0) {
        // Going on would save under the name held from before, the bare default name in the working folder.
        reportSaveError(CommonDialog1->FileName, CommonDialog1->errorDescription);
        return false;
    }
    return true;
}
