#include "cli/PortsCommand.h"

#include "link/LinkPlatform.h"
#include "link/Requests.h"
#include "link/Responses.h"
#include "link/SerialControl.h"
#include "link/TimerControl.h"

#include <algorithm>

namespace {

constexpr int FirstPort = 1;
constexpr int LastPort = 16;

// Whether the bytes hold the meter's answer to a link check, after anything else.
bool holdsLinkCheckAnswer(const QByteArray &bytes) {
    const auto *data = reinterpret_cast<const uint8_t *>(bytes.constData());
    for (int offset = 0; offset < bytes.size();) {
        const FrameCheck check = checkFrame(data + offset, int(bytes.size()) - offset);
        if (check.verdict == FrameVerdict::NoFrame || check.verdict == FrameVerdict::Incomplete)
            return false;
        const uint8_t *frame = data + offset + check.start;
        if (check.verdict == FrameVerdict::Verified && frame[TypeOffset] == LinkCheckAnswer &&
            isHandledAnswer(LinkCheckAnswer, check.length) && frame[PayloadOffset] == LinkCheckFirst &&
            frame[PayloadOffset + 1] == LinkCheckSecond)
            return true;
        offset += check.start + 1; // look past this frame's start byte
    }
    return false;
}

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
    answer.clear();
    port->setCommPort(int16_t(portNumber));
    if (port->setPortOpen(true) != CommNoError) {
        conclude(false, port->errorText());
        return;
    }
    const std::optional<Request> linkCheck = buildRequest(1, LinkCheckAnswer, 0, 0, 0);
    port->setRThreshold(1);
    port->setOutput(linkCheck->frame);
    port->setInBufferCount(0);
    port->setOutBufferCount(0);
    answerWait->setEnabled(true);
}

void PortsCommand::received() {
    if (port->CommEvent() != comEvReceive || !port->PortOpen())
        return;
    answer += port->Input();
    if (holdsLinkCheckAnswer(answer))
        conclude(true, QStringLiteral("the meter answered"));
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
