// The engine's controls, start and stop, and what its listeners choose.
#include "link/MeterEngine.h"

#include "link/LinkPlatform.h"
#include "link/SerialControl.h"
#include "link/TimerControl.h"

MeterEngine::MeterEngine(LinkPlatform &platform, QObject *parent) : QObject(parent), platform(platform) {
    struct TimerDesign {
        std::unique_ptr<TimerControl> &timer;
        const char *name;
        int interval;
    };
    const TimerDesign timers[] = {
        {Timer_findcom, "Timer_findcom", 600},
        {Timer_real, "Timer_real", 1500},
        {Timer_read, "Timer_read", 30},
        {Timer_timeout, "Timer_timeout", 2500},
    };
    for (const TimerDesign &design : timers) {
        design.timer = platform.createTimer();
        design.timer->setObjectName(QLatin1String(design.name));
        design.timer->setInterval(design.interval);
    }
    MSComm1 = platform.createSerialControl();

    connect(Timer_findcom.get(), &TimerControl::Timer, this, &MeterEngine::Timer_findcom_Timer);
    connect(Timer_real.get(), &TimerControl::Timer, this, &MeterEngine::Timer_real_Timer);
    connect(Timer_read.get(), &TimerControl::Timer, this, &MeterEngine::Timer_read_Timer);
    connect(Timer_timeout.get(), &TimerControl::Timer, this, &MeterEngine::Timer_timeout_Timer);
    connect(MSComm1.get(), &SerialControl::OnComm, this, &MeterEngine::MSComm1_OnComm);
}

MeterEngine::~MeterEngine() = default;

void MeterEngine::start() {
    state.MeterFound = false;
    state.ComNum = 1;
    state.LinkStatus = LinkIdle;
    state.RecordTotal = 0;
    state.Type3Value = 0;
    state.RecordBlocks = 0;
    DisLabelInit();
    Timer_findcom->setEnabled(true);
    // Runs from the start: a meter that never answers is reported like one that went silent.
    Timer_timeout->setEnabled(true);
}

void MeterEngine::stop() {
    if (MSComm1->PortOpen())
        MSComm1->setPortOpen(false);
    for (TimerControl *timer : {Timer_findcom.get(), Timer_real.get(), Timer_read.get(), Timer_timeout.get()})
        timer->setEnabled(false);
    MSComm1->disconnect(this);
}

void MeterEngine::setRealtimeView(bool realtime) {
    state.RealtimeView = realtime;
    if (!downloadUnderWay)
        Timer_real->setEnabled(true);
}
