#include "cli/PortsCommand.h"

#include "link/LinkPlatform.h"
#include "link/SerialControl.h"
#include "link/TimerControl.h"

#include <algorithm>

namespace {

constexpr int FirstPort = 1;
constexpr int LastPort = 16;

} // namespace

PortsCommand::PortsCommand(LinkPlatform &platform, const Console &console, DeviceOf deviceOf)
    : CliCommand(console), deviceOf(std::move(deviceOf)), port(platform.createSerialControl()),
      answerWait(platform.createTimer()) {
    answerWait->setInterval(AnswerWaitMs);
    connect(answerWait.get(), &TimerControl::Timer, this,
            [this] { conclude(false, QStringLiteral("no answer")); });
    connect(port.get(), &SerialControl::OnComm, this, &PortsCommand::received);
}

PortsCommand::~PortsCommand() = default;

void PortsCommand::start() {
    portNumber = FirstPort;
    probe();
}

void PortsCommand::probe() {
    port->setCommPort(int16_t(portNumber));
    if (port->setPortOpen(true) != CommNoError) {
        conclude(false, port->errorText());
        return;
    }
    const std::optional<Request> linkCheck = buildRequest(Command::Standard, RequestType::LinkCheck, 0, 0, 0);
    exchange.begin(linkCheck);
    port->setRThreshold(linkCheck->answerLength);
    port->setOutput(linkCheck->frame);
    port->setInBufferCount(0);
    port->setOutBufferCount(0);
    answerWait->setEnabled(true);
}

void PortsCommand::received() {
    if (port->CommEvent() != comEvReceive || !port->PortOpen())
        return;
    const int counted = port->InBufferCount();
    const ExchangeStep step = exchange.take(port->Input(), counted);
    switch (step.verdict) {
    case ExchangeVerdict::NeedsMore:
        port->setRThreshold(int16_t(step.missing));
        return;
    case ExchangeVerdict::NoAnswer:
        conclude(false, QStringLiteral("no link check answer in what came back"));
        return;
    case ExchangeVerdict::Answer:
        break;
    }
    const QByteArray &bytes = exchange.received();
    const bool meter = bytes.at(step.answerStart + PayloadOffset) == char(LinkCheckFirst) &&
                       bytes.at(step.answerStart + PayloadOffset + 1) == char(LinkCheckSecond);
    conclude(meter,
             meter ? QStringLiteral("the meter answered") : QStringLiteral("a wrong link check answer"));
}

void PortsCommand::conclude(bool answered, const QString &outcome) {
    answerWait->setEnabled(false);
    if (port->PortOpen())
        port->setPortOpen(false);
    meterAnswered = meterAnswered || answered;
    const QString device = deviceOf(portNumber);
    devices << (device.isEmpty() ? QStringLiteral("-") : device);
    // The control names the device in its reason; the table has it in a column already.
    const QString devicePrefix = device + QStringLiteral(": ");
    outcomes << (!device.isEmpty() && outcome.startsWith(devicePrefix) ? outcome.mid(devicePrefix.size())
                                                                       : outcome);
    if (portNumber < LastPort) {
        ++portNumber;
        probe();
        return;
    }
    qsizetype width = QStringLiteral("device").size();
    for (const QString &name : devices)
        width = std::max(width, name.size());
    QString table = QStringLiteral("port  %1  link check\n").arg(QStringLiteral("device"), -int(width));
    for (int index = 0; index < devices.size(); ++index)
        table += QStringLiteral("%1  %2  %3\n")
                     .arg(index + FirstPort, -4)
                     .arg(devices[index], -int(width))
                     .arg(outcomes[index]);
    if (!console.print(table.toUtf8())) {
        console.say(QStringLiteral("standard output cannot be written"));
        finish(1);
        return;
    }
    finish(meterAnswered ? 0 : 1);
}
