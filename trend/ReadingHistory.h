#pragma once

#include "measure/ShownReadings.h"

#include <QDateTime>
#include <QObject>

#include <array>
#include <deque>
#include <vector>

// The readings of this session as numbers in base units, for the trend: every realtime answer
// and every loss of the link, oldest first. Bounded: the oldest answers go once it holds
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
        double value = 0; // NaN where the reading was not a number (an overload)
    };
    struct Answer {
        qint64 msecs = 0;      // since the epoch
        bool linkLost = false; // a mark, not an answer: the link was lost at this time
        std::array<Sample, 4> samples;
    };

    // Returns whether the link had been lost before this answer (it is regained now).
    bool addAnswer(const QDateTime &time, const std::vector<ShownReading> &readings);
    // Returns whether this is news: an answer came since the start or the last loss. Before the
    // first answer the link was never up, so it cannot be lost.
    bool markLinkLost(const QDateTime &time);

    const std::vector<Item> &items() const { return knownItems; }
    const std::deque<Answer> &answers() const { return history; }

signals:
    void changed();

private:
    qint16 itemIndex(const QString &name, const QString &unit);
    void keep(const Answer &answer);

    std::vector<Item> knownItems;
    std::deque<Answer> history;
    enum class Link { NeverUp, Up, Lost } link = Link::NeverUp;
};
