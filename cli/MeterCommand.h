#pragma once

#include "cli/CliCommand.h"
#include "link/MeterEngine.h"

#include <memory>

class LinkPlatform;
class TimerControl;

// A command that talks to the meter through the engine: it finds the meter as the window does
// and then does its own part.
class MeterCommand : public CliCommand {
    Q_OBJECT
public:
    // One round over ports 1 to 16 and the tick that sees the answer.
    static constexpr int FindMeterMs = 17 * 600;

    MeterCommand(LinkPlatform &platform, const Console &console);
    ~MeterCommand() override;

    void start() override;
    void end() override { stopAndFinish(0); }

protected:
    // Whether a command that finds no meter within one round gives up (exit 1); the others
    // keep looking, for a meter plugged in later.
    virtual bool givesUpWithoutMeter() const { return true; }
    // What the command asks polls for.
    virtual bool realtimeView() const { return true; }
    // Stops the engine, then ends with `status`.
    void stopAndFinish(int status);

    LinkPlatform &platform;
    MeterEngine engine;

private:
    std::unique_ptr<TimerControl> findDeadline;
};
