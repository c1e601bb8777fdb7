#include "cli/ReadingCommands.h"

#include "cli/AnswerLines.h"
#include "link/LinkPlatform.h"

namespace {

QByteArray readingsLine(bool json, const QDateTime &time, const std::vector<ShownReading> &readings) {
    return json ? readingsJsonLine(time, readings) : readingsTextLine(time, readings);
}

QByteArray linkLine(bool json, const QDateTime &time, bool connected) {
    return json ? linkJsonLine(time, connected) : linkTextLine(time, connected);
}

QByteArray alarmLine(bool json, const AlarmEvent &event) {
    return json ? alarmJsonLine(event) : alarmTextLine(event);
}

} // namespace

ReadCommand::ReadCommand(LinkPlatform &platform, const Console &console, bool json)
    : MeterCommand(platform, console), json(json) {
    connect(&engine, &MeterEngine::realtimeReadings, this, [this](const ShownBlocks &blocks) {
        const bool printed = this->console.print(
            readingsLine(this->json, this->platform.currentDateTime(), presentReadings(blocks)));
        if (!printed)
            this->console.say(QStringLiteral("the answer cannot be written to standard output"));
        stopAndFinish(printed ? 0 : 1);
    });
    connect(&engine, &MeterEngine::linkLost, this, [this] {
        if (!engine.meterFound())
            return; // still looking, port by port
        this->console.say(QStringLiteral("the meter stopped answering"));
        stopAndFinish(1);
    });
}

WatchCommand::WatchCommand(LinkPlatform &platform, const Console &console, bool json,
                           const std::vector<AlarmLimit> &alarmLimits)
    : MeterCommand(platform, console), json(json) {
    alarms.setLimits(alarmLimits, platform.currentDateTime(), platform.monotonicMs());
    connect(&engine, &MeterEngine::realtimeReadings, this, [this](const ShownBlocks &blocks) {
        const QDateTime now = this->platform.currentDateTime();
        if (marks.answerRegains())
            show(linkLine(this->json, now, true));
        const std::vector<ShownReading> readings = presentReadings(blocks);
        show(readingsLine(this->json, now, readings));
        for (const AlarmEvent &event : alarms.check(now, this->platform.monotonicMs(), readings))
            show(alarmLine(this->json, event));
    });
    connect(&engine, &MeterEngine::linkLost, this, [this] {
        alarms.linkLost();
        if (marks.lossIsNews())
            show(linkLine(this->json, this->platform.currentDateTime(), false));
    });
}

void WatchCommand::show(const QByteArray &line) {
    if (console.print(line) || isFinished())
        return;
    console.say(QStringLiteral("standard output cannot be written"));
    stopAndFinish(1);
}
