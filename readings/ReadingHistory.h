#pragma once

#include "measure/ShownReadings.h"

#include <QDateTime>
#include <QHash>
#include <QObject>

#include <array>
#include <deque>
#include <vector>

// The readings of this run as numbers in base units, for the trend and its statistics: every
// realtime answer and every loss of the link, in the order they came. Each keeps the wall
// clock's time, which the user or a time service may set back, and the time on a clock that
// never goes back, which spans are measured on. Bounded: the oldest answers go once it holds
// MaxAnswers, which is more than a day of polling at one answer every 1.5 s.
class ReadingHistory final : public QObject {
    Q_OBJECT
public:
    static constexpr size_t MaxAnswers = 60000;

    // One chart's worth: an item in one base unit.
    struct Item {
        QString name;
        QString unit;
    };
    struct Sample {
        qint16 item = -1; // index into items(); -1 for an unused place
        double value = 0; // NaN where the reading was an overload
    };
    struct Answer {
        qint64 wallMs = 0;      // since the epoch, as the wall clock said
        qint64 monotonicMs = 0; // never less than the answer's before
        bool linkLost = false;  // a mark, not an answer: the link was lost at this time
        std::array<Sample, 4> samples;
    };

    // Returns whether the link had been lost before this answer (it is regained now).
    bool addAnswer(const QDateTime &time, qint64 monotonicMs, const std::vector<ShownReading> &readings);
    // Returns whether this is news: an answer came since the start or the last loss. Before the
    // first answer the link was never up, so it cannot be lost.
    bool markLinkLost(const QDateTime &time, qint64 monotonicMs);

    const std::vector<Item> &items() const { return knownItems; }
    const std::deque<Answer> &answers() const { return history; }

signals:
    void changed();

private:
    // The item a number in `unit` belongs to, made when it is new; a number without a unit joins
    // the item's chart in whatever unit it has.
    qint16 itemOfNumber(const QString &name, const QString &unit);
    void keep(Answer answer);

    std::vector<Item> knownItems;
    // Per item name, the chart its last number went to: an overload belongs there.
    QHash<QString, qint16> lastItemOfName;
    std::deque<Answer> history;
    enum class Link { NeverUp, Up, Lost } link = Link::NeverUp;
};
