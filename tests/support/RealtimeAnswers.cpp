#include "support/RealtimeAnswers.h"

#include "link/MeterEngine.h"

#include <algorithm>

void loadRealtimePayload(MeterEngine &engine, const QByteArray &hex) {
    const QByteArray payload = QByteArray::fromHex(hex);
    if (payload.size() != 4 * ReadingBlockSize)
        qFatal("a realtime payload has 32 bytes: %s", hex.constData());
    std::copy(payload.begin(), payload.end(), engine.state.RxFrame.begin() + PayloadOffset);
}

void receiveRealtimeAnswer(MeterEngine &engine, const QByteArray &hex) {
    loadRealtimePayload(engine, hex);
    engine.RealtimeDataHandle();
}
