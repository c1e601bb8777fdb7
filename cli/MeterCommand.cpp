#include "cli/MeterCommand.h"

#include "link/LinkPlatform.h"
#include "link/TimerControl.h"

MeterCommand::MeterCommand(LinkPlatform &platform, const Console &console)
    : CliCommand(console), platform(platform), engine(platform), findDeadline(platform.createTimer()) {
    findDeadline->setInterval(FindMeterMs);
    connect(findDeadline.get(), &TimerControl::Timer, this, [this] {
        findDeadline->setEnabled(false);
        this->console.say(QStringLiteral("no meter answered on ports 1 to 16"));
        stopAndFinish(1);
    });
    connect(&engine, &MeterEngine::discoveryEnded, this, [this] { findDeadline->setEnabled(false); });
    // Told once by the engine: a whole round found no meter and some port refused this user.
    connect(&engine, &MeterEngine::portsRefused, this,
            [this](const QString &notice) { this->console.say(notice.simplified()); });
}

MeterCommand::~MeterCommand() = default;

void MeterCommand::start() {
    engine.setRealtimeView(realtimeView());
    engine.start();
    if (givesUpWithoutMeter())
        findDeadline->setEnabled(true);
}

void MeterCommand::stopAndFinish(int status) {
    findDeadline->setEnabled(false);
    engine.stop();
    finish(status);
}
