#include "LinkFixture.h"

#include "app/TabStrip.h"
#include "link/TimerControl.h"

LinkFixture::LinkFixture(int meterPort, std::initializer_list<int> silentPorts)
    : serial(*platform.serial), meter(platform, meterPort) {
    serial.openOutcome[meterPort] = CommNoError;
    for (int port : silentPorts)
        serial.openOutcome[port] = CommNoError;
}

bool LinkFixture::findMeter() {
    for (int tick = 0; tick < 40 && form.engine.Timer_findcom->Enabled(); ++tick)
        platform.clock.advance(600);
    return form.engine.state.MeterFound && !form.engine.Timer_findcom->Enabled();
}

void LinkFixture::clickTab(int tab) {
    form.TabStrip1->setSelectedIndex(tab);
    form.TabStrip1_Click();
}

bool LinkFixture::advanceToNextRequest(int64_t limitMs) {
    const size_t heardBefore = meter.heard.size();
    for (int64_t waited = 0; waited < limitMs && meter.heard.size() == heardBefore; ++waited)
        platform.clock.advance(1);
    return meter.heard.size() > heardBefore;
}

QList<int> LinkFixture::requestPorts() const {
    QList<int> ports;
    int openPort = 0;
    for (const QString &entry : serial.log) {
        if (entry.startsWith(QLatin1String("open ")))
            openPort = entry.mid(5).toInt();
        else if (entry.startsWith(QLatin1String("output ")))
            ports << openPort;
    }
    return ports;
}
