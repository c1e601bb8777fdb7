// The record download from Read to its end: the wait for a free link, the count answer,
// block after block to the listeners, and the end or the time-out that breaks it off.
#include "link/MeterEngine.h"

#include "link/LinkPlatform.h"
#include "link/Responses.h"
#include "link/TimerControl.h"

#include <algorithm>

bool MeterEngine::startDownload() {
    if (!state.MeterFound)
        return false;
    downloadUnderWay = true;
    Timer_real->setEnabled(false);
    Timer_read->setEnabled(true);
    return true;
}

void MeterEngine::Timer_read_Timer() {
    // The last poll's answer is still awaited: the count request would replace it. After a
    // time-out, a block the meter still owes could otherwise come in answer to the new
    // download's first block request.
    if (state.LinkStatus == LinkAwaiting || !LineQuiet())
        return;
    Timer_read->setEnabled(false);
    ComOpen(state.ComNum);
    SendCommand(Command::Standard, RequestType::RecordCount, 0, 0, 0);
}

bool MeterEngine::LineQuiet() {
    if (unsettledSince && platform.monotonicMs() - *unsettledSince >= QuietMs)
        unsettledSince.reset();
    return !unsettledSince;
}

void MeterEngine::RecordCountHandle(int frameLength) {
    state.RecordTotal = downloadRecordCount(state.RxFrame.data(), frameLength);
    // A count answer starts the download afresh, so block numbers count from record 0.
    state.RecordBlocks = 0;
    emit recordCount(state.RecordTotal);
    if (state.RecordTotal != 0) {
        RequestRecordBlock();
        return;
    }
    DownloadEnd();
    // Only now: no poll may run while a listener tells the user there is nothing to read.
    Timer_real->setEnabled(true);
}

void MeterEngine::RecordBlockHandle(int frameLength, int16_t recordsAsked) {
    const int16_t first = int16_t(state.RecordBlocks * RecordsPerBlock);
    const int16_t records = std::min<int16_t>(int16_t(recordsInBlock(frameLength)), recordsAsked);
    state.RecordBlocks = uint8_t(state.RecordBlocks + 1);
    RecordDataHandle(PayloadOffset, first, records);
    if (state.RecordBlocks * RecordsPerBlock < state.RecordTotal) {
        emit downloadProgress(int16_t(state.RecordBlocks * RecordsPerBlock));
        RequestRecordBlock();
        return;
    }
    emit downloadProgress(state.RecordTotal);
    DownloadEnd();
    Timer_real->setEnabled(true);
}

void MeterEngine::RequestRecordBlock() {
    const int16_t start = int16_t(state.RecordBlocks * RecordsPerBlock);
    const int16_t count = std::min<int16_t>(RecordsPerBlock, int16_t(state.RecordTotal - start));
    ComOpen(state.ComNum);
    SendCommand(Command::Standard, RequestType::Records, start, count, 0);
}

void MeterEngine::DownloadEnd() {
    downloadUnderWay = false;
    state.RecordBlocks = 0;
    emit downloadEnded(state.RecordTotal);
}

void MeterEngine::DownloadAbort() {
    const bool wasUnderWay = downloadUnderWay;
    downloadUnderWay = false;
    // A download still waiting for a free link must not start beside the polling that resumes.
    Timer_read->setEnabled(false);
    state.RecordBlocks = 0;
    if (wasUnderWay)
        emit downloadAborted();
}
