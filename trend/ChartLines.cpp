#include "trend/ChartLines.h"

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

std::vector<ChartLine> chartLines(const ReadingHistory &history, qint64 fromMsecs, qint64 toMsecs,
                                  int columns) {
    std::vector<ChartLine> lines(history.items().size());
    std::vector<LineBuilder> builders;
    builders.reserve(lines.size());
    for (ChartLine &line : lines)
        builders.emplace_back(line);
    const std::deque<ReadingHistory::Answer> &answers = history.answers();
    auto answer = std::lower_bound(
        answers.begin(), answers.end(), fromMsecs,
        [](const ReadingHistory::Answer &entry, qint64 msecs) { return entry.msecs < msecs; });
    const qint64 span = std::max<qint64>(1, toMsecs - fromMsecs + 1);
    qint64 previousMsecs = answer == answers.end() ? 0 : answer->msecs;
    for (; answer != answers.end() && answer->msecs <= toMsecs; ++answer) {
        const bool pause = answer->msecs - previousMsecs > GapAfterMsecs;
        previousMsecs = answer->msecs;
        if (answer->linkLost || pause)
            for (LineBuilder &builder : builders)
                builder.breakLine();
        if (answer->linkLost)
            continue;
        const qint64 slot = (answer->msecs - fromMsecs) * columns / span;
        for (const ReadingHistory::Sample &sample : answer->samples) {
            if (sample.item < 0)
                continue;
            LineBuilder &builder = builders[size_t(sample.item)];
            if (std::isnan(sample.value))
                builder.breakLine();
            else
                builder.add(answer->msecs, sample.value, slot);
        }
    }
    for (LineBuilder &builder : builders)
        builder.flush();
    return lines;
}
