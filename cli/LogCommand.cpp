#include "cli/LogCommand.h"

#include "cli/AnswerLines.h"
#include "link/LinkPlatform.h"
#include "link/TimerControl.h"
#include "publish/ReadingsPublisher.h"

#include <QStringList>

namespace {
constexpr int RetryIntervalMs = 1500;
}

struct LogCommand::CsvLog {
    CsvLog(const QString &pattern, UnattendedLog::Say say, size_t pendingBound)
        : log(pattern, std::move(say), pendingBound) {}

    UnattendedLog log;
    LogSession session{log};
};

LogCommand::LogCommand(LinkPlatform &platform, const Console &console, const QString &csvPattern,
                       std::optional<PublishSettings> publish, const std::vector<AlarmLimit> &alarmLimits,
                       size_t pendingBound)
    : MeterCommand(platform, console), csvPattern(csvPattern), retry(platform.createTimer()) {
    alarms.setLimits(alarmLimits, platform.currentDateTime(), platform.monotonicMs());
    if (!csvPattern.isEmpty())
        csv = std::make_unique<CsvLog>(
            csvPattern, [this](const QString &line) { tell(line); }, pendingBound);
    if (publish) {
        publisher = std::make_unique<ReadingsPublisher>(std::move(*publish));
        connect(publisher.get(), &ReadingsPublisher::notice, this,
                [this](const QString &text) { tell(text); });
        // Bytes heard while ports are probed may come from another device: only the meter's count.
        connect(&engine, &MeterEngine::linkConnected, this, [this] {
            if (engine.meterFound())
                publisher->takeLinkConnected();
        });
    }
    retry->setInterval(RetryIntervalMs);
    connect(retry.get(), &TimerControl::Timer, this, [this] {
        csv->log.writePending();
        retryWhilePending();
    });
    connect(&engine, &MeterEngine::discoveryEnded, this,
            [this] { tell(QStringLiteral("the meter answers on port %1").arg(engine.port())); });
    connect(&engine, &MeterEngine::realtimeReadings, this, &LogCommand::takeAnswer);
    connect(&engine, &MeterEngine::linkLost, this, &LogCommand::takeLinkLost);
}

LogCommand::~LogCommand() = default;

const UnattendedLog *LogCommand::unattendedLog() const {
    return csv ? &csv->log : nullptr;
}

void LogCommand::takeAnswer(const ShownBlocks &blocks) {
    if (told.answerRegains())
        tell(QStringLiteral("the meter answers again"));
    const QDateTime time = platform.currentDateTime();
    const std::vector<ShownReading> readings = presentReadings(blocks);
    // The network's copy first: it is only handed to the publisher's thread, while the CSV's
    // waits for the disk.
    if (publisher)
        publisher->takeAnswer(time, readings);
    const std::vector<AlarmEvent> events = alarms.check(time, platform.monotonicMs(), readings);
    for (const AlarmEvent &event : events)
        tell(alarmEventText(event));
    if (csv) {
        csv->session.answer(time, readings, events);
        retryWhilePending();
    }
}

void LogCommand::takeLinkLost() {
    alarms.linkLost();
    if (told.lossIsNews())
        tell(QStringLiteral("the meter stopped answering"));
    // Each loss is a request the meter left unanswered; while ports are probed, one is no news.
    if (publisher && engine.meterFound()) {
        publisher->takeTimeout();
        publisher->takeLinkLost();
    }
    if (csv) {
        csv->session.linkLost(platform.currentDateTime());
        retryWhilePending();
    }
}

void LogCommand::retryWhilePending() {
    retry->setEnabled(!ending && csv->log.pending() > 0);
}

void LogCommand::reopen() {
    if (csv)
        csv->log.reopen();
}

QString LogCommand::startOutputs() {
    if (csv)
        if (const QString failure = csv->log.start(platform.currentDateTime()); !failure.isEmpty())
            return failure;
    QString failure;
    if (publisher && !publisher->start(&failure))
        return failure;
    return {};
}

void LogCommand::start() {
    // A log that cannot begin (a file that cannot be written, a metrics port another program
    // holds) is a mistake to fix now, not a spell to wait out.
    if (const QString failure = startOutputs(); !failure.isEmpty()) {
        console.say(failure);
        finish(1);
        return;
    }
    MeterCommand::start();
    // Ready as soon as it logs: the meter may come much later.
    service.ready(outputsText());
}

QString LogCommand::outputsText() const {
    QStringList outputs;
    if (csv)
        outputs << QStringLiteral("logging to %1").arg(csvPattern);
    if (publisher)
        outputs << QStringLiteral("publishing readings");
    return outputs.join(QStringLiteral(", "));
}

void LogCommand::tell(const QString &line) {
    console.say(line);
    service.status(line);
}

void LogCommand::end() {
    if (ending)
        return;
    ending = true;
    service.stopping();
    stopLink();
    if (csv) {
        retry->setEnabled(false);
        csv->log.writePending();
        if (csv->log.pending() > 0)
            console.say(QStringLiteral("%1 answers kept in memory could not be written before the end")
                            .arg(csv->log.pending()));
    }
    if (!publisher) {
        finish(0);
        return;
    }
    connect(publisher.get(), &ReadingsPublisher::finished, this, [this] { finish(0); });
    publisher->finish();
}
