#include "support/RealtimeAnswers.h"

#include "app/Form1.h"

#include <algorithm>

void loadRealtimePayload(Form1 &form, const QByteArray &hex) {
    const QByteArray payload = QByteArray::fromHex(hex);
    if (payload.size() != 4 * ReadingBlockSize)
        qFatal("a realtime payload has 32 bytes: %s", hex.constData());
    std::copy(payload.begin(), payload.end(), form.state.RxFrame.begin() + PayloadOffset);
}

void receiveRealtimeAnswer(Form1 &form, const QByteArray &hex) {
    loadRealtimePayload(form, hex);
    form.RealtimeDataHandle();
}
