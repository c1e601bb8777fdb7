#pragma once

#include "cli/CliCommand.h"
#include "link/Exchange.h"

#include <QByteArray>
#include <QStringList>

#include <functional>
#include <memory>

class LinkPlatform;
class SerialControl;
class TimerControl;

// `ports`: each port 1 to 16 as numbered in this run, the device behind it, and whether the
// meter answered the link check there, probed one after the other the way discovery probes
// them. Exit status 0 when a meter answered, 1 when none did.
class PortsCommand final : public CliCommand {
    Q_OBJECT
public:
    using DeviceOf = std::function<QString(int port)>;

    // A port that opens is given one discovery tick for the meter's answer.
    static constexpr int AnswerWaitMs = 600;

    PortsCommand(LinkPlatform &platform, const Console &console, DeviceOf deviceOf);
    ~PortsCommand() override;

    void start() override;

private:
    void probe();
    void received();
    void conclude(bool answered, const QString &outcome);

    DeviceOf deviceOf;
    std::unique_ptr<SerialControl> port;
    std::unique_ptr<TimerControl> answerWait;
    int portNumber = 0;
    Exchange exchange;
    QStringList devices, outcomes;
    bool meterAnswered = false;
};
