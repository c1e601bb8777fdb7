#include "publish/OutageQueue.h"

#include <algorithm>

OutageQueue::OutageQueue(size_t capacity) : capacity(std::max<size_t>(capacity, 1)) {}

void OutageQueue::push(QByteArray payload) {
    messages.push_back({std::move(payload), std::nullopt});
    if (messages.size() <= capacity)
        return;
    if (messages.front().messageId)
        --sentCount;
    messages.pop_front();
    ++droppedCount;
}

std::optional<QByteArray> OutageQueue::nextToSend(size_t maxInFlight) const {
    if (sentCount >= maxInFlight || sentCount >= messages.size())
        return std::nullopt;
    return messages[sentCount].payload;
}

void OutageQueue::markSent(int messageId) {
    if (sentCount < messages.size())
        messages[sentCount++].messageId = messageId;
}

bool OutageQueue::acknowledge(int messageId) {
    const auto sent = std::find_if(messages.begin(), messages.end(), [messageId](const Message &message) {
        return message.messageId == messageId;
    });
    if (sent == messages.end())
        return false;
    messages.erase(sent);
    --sentCount;
    return true;
}

void OutageQueue::connectionLost() {
    for (Message &message : messages)
        message.messageId.reset();
    sentCount = 0;
}
