#pragma once

// What the metrics endpoint tells about the meter, fed by the link's events, and its text in
// Prometheus' exposition format 0.0.4. Pure: the caller gives every time.

#include "publish/PublishedReading.h"

#include <QByteArray>
#include <QDateTime>

#include <cstdint>
#include <optional>
#include <vector>

class MeterMetrics {
public:
    explicit MeterMetrics(QString meterName);

    void takeAnswer(const QDateTime &time, const std::vector<PublishedReading> &readings);
    void takeLinkConnected();
    void takeLinkLost();
    void takeTimeout();

    // The families with HELP and TYPE; readings are those of items shown within a minute of now.
    QByteArray render(qint64 nowMsecsSinceEpoch) const;

    static constexpr qint64 ReadingWindowMsecs = 60 * 1000;

private:
    struct Item {
        QString item;
        QString baseUnit;
        std::optional<QString> number; // nothing while the latest reading is an overload
        qint64 shownAtMsecs;
    };
    QString meterName;
    std::vector<Item> items; // in the order first shown
    bool linkUp = false;
    uint64_t answers = 0;
    uint64_t timeouts = 0;
    std::optional<qint64> lastAnswerMsecs;
};
