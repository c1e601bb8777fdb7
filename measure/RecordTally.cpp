// How many records the meter holds against how many a download read: a meter may hold more than
// requests can address, and the table must not pass for all of them.
#include "app/Form1.h"

#include "link/Responses.h"

#include <QLabel>

void Form1::KeepRecordsHeld(int held) {
    recordsHeld = held;
    StatusBar1Records->hide();
}

void Form1::ShowRecordsRead(int recordsRead) {
    if (recordsHeld <= MaxDownloadRecords)
        return;
    StatusBar1Records->setText(QStringLiteral("The meter holds %1 records; the first %2 were read.")
                                   .arg(recordsHeld)
                                   .arg(recordsRead));
    StatusBar1Records->setToolTip(
        QStringLiteral("Records past number %1 cannot be asked for.").arg(MaxDownloadRecords));
    StatusBar1Records->show();
}
