// The payloads of realtime and record-block answers, decoded once for the engine's listeners.
#include "link/MeterEngine.h"

void MeterEngine::RealtimeDataHandle() {
    emit realtimeReadings(shownBlocks(state.RxFrame.data() + PayloadOffset, state.ItemName, state.UnitName));
}

void MeterEngine::RecordDataHandle(uint8_t offset, int16_t first, int16_t count) {
    Q_ASSERT(first >= 0 && count >= 1 && offset + RecordSize * count <= RxFrameSize);
    std::vector<ShownBlocks> records;
    for (int record = 0; record < count; ++record)
        records.push_back(
            shownBlocks(state.RxFrame.data() + offset + RecordSize * record, state.ItemName, state.UnitName));
    emit recordBlock(first, records);
}
