// The run's readings: every realtime answer and every loss of the link handed on with the wall
// clock's time, and what they report back (the log's rows, a log that stopped, the alarms) shown.
#include "app/Form1.h"

#include "app/Platform.h"
#include "app/Preferences.h"
#include "readings/RunReadings.h"

#include <QLabel>
#include <QStringList>

void Form1::KeepReadings(const std::vector<ShownReading> &readings) {
    runReadings->addAnswer(platform.currentDateTime(), readings);
}

void Form1::KeepLinkLost() {
    runReadings->linkLost(platform.currentDateTime());
}

void Form1::connectRunReadings() {
    connect(runReadings.get(), &RunReadings::logWritten, this, &Form1::showLogState);
    connect(runReadings.get(), &RunReadings::logStopped, this, &Form1::reportLogStopped);
    connect(runReadings.get(), &RunReadings::alarmsChanged, this, &Form1::showAlarmState);
    runReadings->setAlarmLimits(preferences->alarmLimits(), platform.currentDateTime());
    preferences->rememberPlace(this, QStringLiteral("window"));
}

void Form1::showAlarmState() {
    const std::vector<Alarm> raised = runReadings->alarms().raised();
    QStringList all;
    for (const Alarm &alarm : raised)
        all << alarmText(alarm);
    // The window has a fixed width: the panel names the first alarm and counts the others, and
    // its tooltip lists them all.
    QString shown = all.value(0);
    if (all.size() > 1)
        shown += QStringLiteral(" (+%1 more)").arg(all.size() - 1);
    StatusBar1Alarm->setText(shown);
    StatusBar1Alarm->setToolTip(all.join(u'\n'));
    StatusBar1Alarm->setVisible(!all.isEmpty());
}
