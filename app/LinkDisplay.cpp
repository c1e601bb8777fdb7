// The window as the engine's listener: the port and link status, the commands as discovery, a
// download and a time-out leave them, the download's progress bar, and Read.
#include "app/Form1.h"

#include "app/Platform.h"

#include <QLabel>
#include <QProgressBar>

void Form1::Button_read_Click() {
    if (state.RealtimeView || !engine.startDownload())
        return;
    SetCommandStates(CommandMoment::DownloadBegun);
}

void Form1::ShowPortStatus(const QString &caption, const QString &reason) {
    LabComsta->setText(caption);
    LabComsta->setToolTip(reason);
}

void Form1::ShowConnected() {
    Lab_rtsta->setText(QStringLiteral("Connected"));
}

void Form1::ShowLinkLost() {
    Lab_rtsta->setText(QStringLiteral("Unconnected"));
    KeepLinkLost();
    SetCommandStates(CommandMoment::TimedOut);
    Progress_read->hide();
}

void Form1::ShowMeterFound() {
    // A download begun before discovery ended sets the commands when it ends.
    if (!engine.downloading())
        SetCommandStates(CommandMoment::MeterFound);
}

void Form1::ShowRecordCount(int16_t total) {
    if (total == 0)
        return;
    Progress_read->setMaximum(total);
    Progress_read->setMinimum(0);
    Progress_read->setValue(0);
    Progress_read->show();
}

void Form1::ShowDownloadProgress(int16_t records) {
    Progress_read->setValue(records);
}

void Form1::ShowDownloadEnd(int16_t total) {
    SetCommandStates(CommandMoment::DownloadEnded);
    Progress_read->hide();
    if (total == 0)
        platform.MsgBox(this, {QStringLiteral("The record number is 0 in the machine\uFF01"), QString(),
                               QMessageBox::NoIcon});
}
