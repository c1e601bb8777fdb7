// The record download, driven block by block from the meter's answers.
#include "app/Form1.h"

#include "app/Platform.h"
#include "app/TabStrip.h"
#include "app/TimerControl.h"
#include "link/Responses.h"

#include <QProgressBar>

#include <algorithm>

void Form1::RecordCountHandle(int frameLength) {
    if (const std::optional<int16_t> total = downloadRecordCount(state.RxFrame.data(), frameLength))
        state.RecordTotal = *total;
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

void Form1::RecordBlockHandle(int frameLength) {
    const int16_t first = int16_t(state.RecordBlocks * RecordsPerBlock);
    const int16_t records = std::min<int16_t>(int16_t(recordsInBlock(frameLength)), blockRecordsAwaited);
    blockRecordsAwaited = 0;
    state.RecordBlocks = uint8_t(state.RecordBlocks + 1);
    RecordDataHandle(RxPayloadOffset, first, records);
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
    SetReadCommand(!state.RealtimeView);
    SetOtherCommands(true, true);
    TabStrip1->setEnabled(true);
    state.RecordBlocks = 0;
    Progress_read->hide();
}
