#include "cli/LogCommand.h"

#include "link/LinkPlatform.h"
#include "link/TimerControl.h"

namespace {
constexpr int RetryIntervalMs = 1500;
}

LogCommand::LogCommand(LinkPlatform &platform, const Console &console, const QString &pattern,
                       size_t pendingBound)
    : MeterCommand(platform, console), pattern(pattern),
      log(
          pattern, [this](const QString &line) { tell(line); }, pendingBound),
      retry(platform.createTimer()) {
    retry->setInterval(RetryIntervalMs);
    connect(retry.get(), &TimerControl::Timer, this, [this] {
        log.writePending();
        retry->setEnabled(log.pending() > 0);
    });
    connect(&engine, &MeterEngine::discoveryEnded, this,
            [this] { tell(QStringLiteral("the meter answers on port %1").arg(engine.port())); });
    connect(&engine, &MeterEngine::realtimeReadings, this, [this](const ShownBlocks &blocks) {
        if (told.answerRegains())
            tell(QStringLiteral("the meter answers again"));
        session.answer(this->platform.currentDateTime(), presentReadings(blocks));
        retry->setEnabled(log.pending() > 0);
    });
    connect(&engine, &MeterEngine::linkLost, this, [this] {
        if (told.lossIsNews())
            tell(QStringLiteral("the meter stopped answering"));
        session.linkLost(this->platform.currentDateTime());
        retry->setEnabled(log.pending() > 0);
    });
}

LogCommand::~LogCommand() = default;

void LogCommand::start() {
    // A log that cannot begin is a mistake to fix now, not a spell to wait out.
    if (const QString failure = log.start(platform.currentDateTime()); !failure.isEmpty()) {
        console.say(failure);
        finish(1);
        return;
    }
    MeterCommand::start();
    // Ready as soon as it logs: the meter may come much later.
    service.ready(QStringLiteral("logging to %1").arg(pattern));
}

void LogCommand::end() {
    service.stopping();
    log.writePending();
    if (log.pending() > 0)
        console.say(QStringLiteral("%1 answers kept in memory could not be written before the end")
                        .arg(log.pending()));
    stopAndFinish(0);
}

void LogCommand::tell(const QString &line) {
    console.say(line);
    service.status(line);
}
