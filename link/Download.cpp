// The record download from Read to its end: the wait for a free link, the count answer,
// block after block into the grid, and the end or the time-out that breaks it off.
#include "app/Form1.h"

#include "app/Platform.h"
#include "app/TimerControl.h"
#include "link/Responses.h"

#include <QProgressBar>

#include <algorithm>

void Form1::Button_read_Click() {
    if (state.RealtimeView || !state.MeterFound)
        return;
    downloading = true;
    SetCommandStates(CommandMoment::DownloadBegun);
    Timer_real->setEnabled(false);
    Timer_read->setEnabled(true);
}

void Form1::Timer_read_Timer() {
    // The last poll's answer is still awaited; the count request would replace it.
    if (state.LinkStatus == LinkAwaiting)
        return;
    Timer_read->setEnabled(false);
    ComOpen(state.ComNum);
    SendCommand(1, 2, 0, 0, 0);
}

void Form1::RecordCountHandle(int frameLength) {
    if (const std::optional<int16_t> total = downloadRecordCount(state.RxFrame.data(), frameLength))
        state.RecordTotal = *total;
    KeepRecordsHeld(announcedRecordCount(state.RxFrame.data(), frameLength));
    // A count answer starts the download afresh, so block numbers count from record 0.
    state.RecordBlocks = 0;
    if (state.RecordTotal != 0) {
        Progress_read->setMaximum(state.RecordTotal);
        Progress_read->setMinimum(0);
        Progress_read->setValue(0);
        Progress_read->show();
        RequestRecordBlock();
        return;
    }
    DownloadEnd();
    platform.MsgBox(this, {QStringLiteral("The record number is 0 in the machine\uFF01"), QString(),
                           QMessageBox::NoIcon});
    // Only now: no poll may run while the message box waits for the user.
    Timer_real->setEnabled(true);
}

void Form1::RecordBlockHandle(int frameLength, int16_t recordsAsked) {
    const int16_t first = int16_t(state.RecordBlocks * RecordsPerBlock);
    const int16_t records = std::min<int16_t>(int16_t(recordsInBlock(frameLength)), recordsAsked);
    state.RecordBlocks = uint8_t(state.RecordBlocks + 1);
    RecordDataHandle(PayloadOffset, first, records);
    if (state.RecordBlocks * RecordsPerBlock < state.RecordTotal) {
        Progress_read->setValue(Progress_read->value() + RecordsPerBlock);
        RequestRecordBlock();
        return;
    }
    Progress_read->setValue(state.RecordTotal);
    DownloadEnd();
    Timer_real->setEnabled(true);
}

void Form1::RequestRecordBlock() {
    const int16_t start = int16_t(state.RecordBlocks * RecordsPerBlock);
    const int16_t count = std::min<int16_t>(RecordsPerBlock, int16_t(state.RecordTotal - start));
    ComOpen(state.ComNum);
    SendCommand(1, 1, start, count, 0);
}

void Form1::DownloadEnd() {
    downloading = false;
    SetCommandStates(CommandMoment::DownloadEnded);
    state.RecordBlocks = 0;
    Progress_read->hide();
}

void Form1::DownloadAbort() {
    downloading = false;
    // A download still waiting for a free link must not start beside the polling that resumes.
    Timer_read->setEnabled(false);
    Progress_read->hide();
    state.RecordBlocks = 0;
}
