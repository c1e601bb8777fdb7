#pragma once

// The state messages the broker has not acknowledged yet, oldest first: waiting ones and those
// sent and awaiting their acknowledgement. A lost connection puts the sent ones back to waiting,
// so everything goes out again in order. Bounded: beyond the capacity the oldest message is
// dropped and counted. Pure: no broker, no clock.

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

class OutageQueue {
public:
    explicit OutageQueue(size_t capacity);

    void push(QByteArray payload);

    // The oldest waiting message, when fewer than maxInFlight are awaiting acknowledgement.
    std::optional<QByteArray> nextToSend(size_t maxInFlight) const;
    // That message went out under this id.
    void markSent(int messageId);
    // Removes the message sent under this id; false when none is (it was dropped meanwhile).
    bool acknowledge(int messageId);
    void connectionLost();

    size_t size() const { return messages.size(); }
    size_t inFlight() const { return sentCount; }
    uint64_t dropped() const { return droppedCount; }

private:
    // Sent messages come first: they leave in order and go back to waiting all together.
    struct Message {
        QByteArray payload;
        std::optional<int> messageId; // set while sent and not acknowledged
    };
    std::deque<Message> messages;
    size_t capacity;
    size_t sentCount = 0;
    uint64_t droppedCount = 0;
};
