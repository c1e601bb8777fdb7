#include "EngineWatch.h"

#include "link/TimerControl.h"
#include "support/ScriptedMeter.h"

namespace {

QString describe(const ShownBlocks &blocks) {
    QStringList texts;
    for (const std::optional<ShownReading> &block : blocks)
        texts << (block ? block->item + '|' + block->value + '|' + block->unit : QStringLiteral("-"));
    return texts.join(QLatin1Char(' '));
}

} // namespace

EngineWatch::EngineWatch(MeterEngine &engine) : engine(engine) {
    QObject::connect(&engine, &MeterEngine::linkConnected, [this] { connected = true; });
    QObject::connect(&engine, &MeterEngine::linkLost, [this] {
        connected = false;
        ++linksLost;
    });
    QObject::connect(&engine, &MeterEngine::realtimeReadings,
                     [this](const ShownBlocks &) { ++realtimeAnswers; });
    QObject::connect(&engine, &MeterEngine::recordCount, [this](int16_t) {
        if (!this->engine.downloading())
            broken << QStringLiteral("a record count told with no download under way");
        downloadOpen = true;
    });
    QObject::connect(
        &engine, &MeterEngine::recordBlock,
        [this](int16_t first, const std::vector<ShownBlocks> &records) { checkRecords(first, records); });
    QObject::connect(&engine, &MeterEngine::downloadEnded, [this](int16_t) { downloadOpen = false; });
    QObject::connect(&engine, &MeterEngine::downloadAborted, [this] { downloadOpen = false; });
}

void EngineWatch::checkWaits() {
    const bool waiting = engine.awaitingAnswer() || engine.state.LinkStatus == LinkAwaiting;
    if (waiting && !engine.Timer_timeout->Enabled())
        broken << QStringLiteral("a request waits with its time-out stopped");
}

void EngineWatch::checkRecords(int16_t first, const std::vector<ShownBlocks> &records) {
    if (!downloadOpen)
        broken << QStringLiteral("a record block told outside a download");
    for (size_t index = 0; index < records.size(); ++index) {
        const int number = first + int(index);
        QByteArray stored = ScriptedMeter::record(number);
        const ShownBlocks expected = shownBlocks(reinterpret_cast<uint8_t *>(stored.data()),
                                                 engine.state.ItemName, engine.state.UnitName);
        if (describe(records[index]) != describe(expected))
            broken << QStringLiteral("record %1 shows %2").arg(number).arg(describe(records[index]));
    }
}
