// The Save command and the realtime save.
#include "app/Form1.h"

#include "output/CommonDialog.h"
#include "output/SaveFile.h"
#include "output/SavePicture.h"
#include "output/ViewContent.h"

#include <QClipboard>
#include <QGuiApplication>

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
