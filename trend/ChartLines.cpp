#include "trend/ChartLines.h"

#include "readings/Gaps.h"

#include <algorithm>
#include <cmath>

namespace {

// The readings of one item, slot by slot.
class LineBuilder {
public:
    explicit LineBuilder(ChartLine &line) : line(line) {}

    void add(qint64 msecs, double value, qint64 slot) {
        const QPointF point(double(msecs), value);
        if (open && msecs - lastMsecs > ItemGapAfterMsecs)
            broken = true;
        lastMsecs = msecs;
        if (open && slot == currentSlot) {
            if (value < low.y())
                low = point;
            if (value > high.y())
                high = point;
            broken = false;
            return;
        }
        flush();
        // A break before the next slot would not show at this scale; ignoring it keeps the
        // segments (each a chart series) to about one per two slots, however often the line breaks.
        if (line.segments.empty() || (broken && slot > currentSlot + 1))
            line.segments.emplace_back();
        broken = false;
        currentSlot = slot;
        low = high = point;
        open = true;
    }

    // The link was lost, or the reading was not a number: the line stops here.
    void breakLine() { broken = true; }

    void flush() {
        if (!open)
            return;
        open = false;
        std::vector<QPointF> &segment = line.segments.back();
        const QPointF &first = low.x() <= high.x() ? low : high;
        const QPointF &second = low.x() <= high.x() ? high : low;
        segment.push_back(first);
        if (second != first)
            segment.push_back(second);
        if (line.points == 0) {
            line.lowest = low.y();
            line.highest = high.y();
        }
        line.lowest = std::min(line.lowest, low.y());
        line.highest = std::max(line.highest, high.y());
        line.points += second != first ? 2 : 1;
    }

private:
    ChartLine &line;
    bool open = false;
    bool broken = false;
    qint64 currentSlot = -1;
    qint64 lastMsecs = 0; // of the item's last reading
    QPointF low, high;
};

} // namespace

namespace {

std::deque<ReadingHistory::Answer>::const_iterator firstAnswerFrom(const ReadingHistory &history,
                                                                   qint64 fromMs) {
    return std::lower_bound(
        history.answers().begin(), history.answers().end(), fromMs,
        [](const ReadingHistory::Answer &entry, qint64 msecs) { return entry.monotonicMs < msecs; });
}

} // namespace

std::vector<ChartLine> chartLines(const ReadingHistory &history, qint64 fromMs, qint64 toMs, int columns) {
    std::vector<ChartLine> lines(history.items().size());
    std::vector<LineBuilder> builders;
    builders.reserve(lines.size());
    for (ChartLine &line : lines)
        builders.emplace_back(line);
    const auto end = history.answers().end();
    auto answer = firstAnswerFrom(history, fromMs);
    const qint64 span = std::max<qint64>(1, toMs - fromMs + 1);
    qint64 previousMs = answer == end ? 0 : answer->monotonicMs;
    for (; answer != end && answer->monotonicMs <= toMs; ++answer) {
        const bool pause = answer->monotonicMs - previousMs > GapAfterMsecs;
        previousMs = answer->monotonicMs;
        if (answer->linkLost || pause)
            for (LineBuilder &builder : builders)
                builder.breakLine();
        if (answer->linkLost)
            continue;
        const qint64 slot = (answer->monotonicMs - fromMs) * columns / span;
        for (const ReadingHistory::Sample &sample : answer->samples) {
            if (sample.item < 0)
                continue;
            LineBuilder &builder = builders[size_t(sample.item)];
            if (std::isnan(sample.value))
                builder.breakLine();
            else
                builder.add(answer->monotonicMs, sample.value, slot);
        }
    }
    for (LineBuilder &builder : builders)
        builder.flush();
    return lines;
}

std::vector<ClockStep> clockSteps(const ReadingHistory &history, qint64 fromMs, qint64 toMs) {
    constexpr qint64 SmallestStepMs = 1000;
    std::vector<ClockStep> steps;
    const auto end = history.answers().end();
    auto answer = firstAnswerFrom(history, fromMs);
    if (answer == end)
        return steps;
    // The step into the span's first answer happened before the span.
    qint64 offset = answer->wallMs - answer->monotonicMs;
    for (; answer != end && answer->monotonicMs <= toMs; ++answer) {
        const qint64 answerOffset = answer->wallMs - answer->monotonicMs;
        if (std::abs(answerOffset - offset) >= SmallestStepMs)
            steps.push_back({answer->monotonicMs, answerOffset - offset});
        offset = answerOffset;
    }
    return steps;
}
