// Times the alarm checks of one realtime answer with every item of the meter limited, as the
// window and the headless logger run them on every answer. Goal: at most 0.05 ms an answer.
// Run by hand (not a test): bench_alarms [answers]
#include "measure/ItemNames.h"
#include "measure/UnitFacts.h"
#include "readings/AlarmMonitor.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
    const int answers = argc > 1 ? std::atoi(argv[1]) : 200000;
    // Every item but the time, limited on both sides, readings crossing both limits now and then
    // so the monitor raises and clears alarms as it goes.
    std::vector<AlarmLimit> limits;
    for (const QStringView name : ItemNames)
        if (isNumberItem(name.toString()) &&
            std::none_of(limits.begin(), limits.end(),
                         [&name](const AlarmLimit &limit) { return limit.item == name; }))
            limits.push_back(
                {name.toString(), 100.0, 300.0, DefaultAlarmHoldMs, DefaultAlarmHysteresisPercent});
    // Four readings an answer, each item code in turn, as a meter rotating its display shows them;
    // values swing slowly across both limits, with an overload now and then, so alarms are held,
    // raised and cleared as the answers go.
    constexpr int Patterns = 5800;
    std::vector<std::vector<ShownReading>> answerReadings;
    for (int answer = 0; answer < Patterns; ++answer) {
        std::vector<ShownReading> readings;
        for (int block = 0; block < 4; ++block) {
            const size_t code = size_t(answer * 4 + block) % ItemNames.size();
            const double value = 200 + 150 * std::sin(answer / 300.0 + double(code));
            const bool overload = (answer + block) % 997 == 0;
            readings.push_back({ItemNames[code].toString(), QString::number(value, 'f', 1).rightJustified(6),
                                overload ? overloadText() : QStringLiteral("V")});
        }
        answerReadings.push_back(readings);
    }
    AlarmMonitor monitor;
    const QDateTime start = QDateTime::currentDateTime();
    monitor.setLimits(limits, start, 0);

    size_t events = 0;
    QElapsedTimer timer;
    timer.start();
    for (int answer = 0; answer < answers; ++answer) {
        const qint64 msecs = qint64(answer) * 1500;
        events +=
            monitor
                .check(start.addMSecs(msecs), msecs, answerReadings[size_t(answer) % answerReadings.size()])
                .size();
    }
    const double perAnswerMs = double(timer.nsecsElapsed()) / 1e6 / answers;
    std::printf("alarm checks, %zu items limited, 4 readings an answer: %.5f ms an answer (%d answers, %zu "
                "raised or cleared)\n",
                limits.size(), perAnswerMs, answers, events);
    return 0;
}
