#include "readings/SpanStatistics.h"

#include "readings/Gaps.h"

#include <algorithm>
#include <cmath>

namespace {

// One item's readings, in the order they came.
class ItemSums {
public:
    void add(qint64 monotonicMs, qint64 wallMs, double value) {
        const TimedReading reading{value, wallMs, false};
        if (statistics.numbers == 0)
            statistics.lowest = reading;
        else if (value < statistics.lowest.value)
            statistics.lowest = reading;
        if (statistics.overloads == 0 && (statistics.numbers == 0 || value > statistics.highest.value))
            statistics.highest = reading;
        statistics.latest = reading;
        ++statistics.numbers;
        sum += value;
        if (joined && monotonicMs - lastMs <= ItemGapAfterMsecs) {
            const double span = double(monotonicMs - lastMs);
            area += (lastValue + value) / 2 * span;
            statistics.meanOverMs += monotonicMs - lastMs;
        }
        joined = true;
        lastMs = monotonicMs;
        lastValue = value;
    }

    void addOverload(qint64 wallMs) {
        const TimedReading reading{0, wallMs, true};
        if (statistics.overloads == 0)
            statistics.highest = reading;
        statistics.latest = reading;
        ++statistics.overloads;
        breakRun();
    }

    void breakRun() { joined = false; }

    ItemStatistics finish(const QString &unit) {
        if (statistics.meanOverMs > 0)
            statistics.mean = area / double(statistics.meanOverMs);
        else if (statistics.numbers > 0)
            statistics.mean = sum / double(statistics.numbers);
        constexpr double MsecsPerHour = 3600.0 * 1000.0;
        if (isPowerUnit(unit))
            statistics.energy = area / MsecsPerHour;
        return statistics;
    }

private:
    ItemStatistics statistics;
    bool joined = false;
    qint64 lastMs = 0;
    double lastValue = 0;
    double sum = 0;
    double area = 0; // value times milliseconds
};

} // namespace

bool isPowerUnit(const QString &baseUnit) {
    return baseUnit == QLatin1String("W") || baseUnit == QLatin1String("var") ||
           baseUnit == QLatin1String("VA");
}

std::vector<ItemStatistics> spanStatistics(const ReadingHistory &history, qint64 fromMs, qint64 toMs) {
    std::vector<ItemSums> sums(history.items().size());
    const std::deque<ReadingHistory::Answer> &answers = history.answers();
    auto answer = std::lower_bound(
        answers.begin(), answers.end(), fromMs,
        [](const ReadingHistory::Answer &entry, qint64 msecs) { return entry.monotonicMs < msecs; });
    qint64 previousMs = answer == answers.end() ? 0 : answer->monotonicMs;
    for (; answer != answers.end() && answer->monotonicMs <= toMs; ++answer) {
        const bool pause = answer->monotonicMs - previousMs > GapAfterMsecs;
        previousMs = answer->monotonicMs;
        if (answer->linkLost || pause)
            for (ItemSums &item : sums)
                item.breakRun();
        if (answer->linkLost)
            continue;
        for (const ReadingHistory::Sample &sample : answer->samples) {
            if (sample.item < 0)
                continue;
            ItemSums &item = sums[size_t(sample.item)];
            if (std::isnan(sample.value))
                item.addOverload(answer->wallMs);
            else
                item.add(answer->monotonicMs, answer->wallMs, sample.value);
        }
    }
    std::vector<ItemStatistics> statistics;
    statistics.reserve(sums.size());
    for (size_t item = 0; item < sums.size(); ++item)
        statistics.push_back(sums[item].finish(history.items()[item].unit));
    return statistics;
}
