#pragma once

// The meter on an MQTT broker: its availability, a state message per answer, Home Assistant
// discovery for each item the first time it is seen. State messages wait in a bounded queue
// while the broker is away and go out in order once it is back.

#include "publish/Discovery.h"
#include "publish/MqttConnection.h"
#include "publish/OutageQueue.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

class MqttPublisher : public QObject {
    Q_OBJECT
public:
    MqttPublisher(const MqttSettings &settings, const QString &meterName, const DeviceInfo &device,
                  QObject *parent = nullptr);

    void start();
    void takeAnswer(const QDateTime &time, const std::vector<PublishedReading> &readings);
    void takeLinkConnected();
    void takeLinkLost();
    // Sends what is queued (for a few seconds at most), says "offline" and disconnects; finished()
    // follows. A broker that is away gets nothing more: its will already says "offline".
    void finish();

    size_t queuedStateMessages() const { return queue.size(); }
    uint64_t droppedStateMessages() const { return queue.dropped(); }

signals:
    // Something the user may want to know: the broker reached or lost, state messages dropped.
    void notice(const QString &text);
    void finished();

private:
    void onConnected();
    void onConnectionFailed(const QString &reason);
    void onAcknowledged(int messageId);
    void setLinkUp(bool up);
    void publishAvailability();
    void publishDiscovery(const PublishedReading &reading);
    void sendQueued();
    void closeWhenSent();

    QString meterName;
    QString discoveryPrefix;
    DeviceInfo device;
    MeterTopics topics;
    QString broker; // HOST:PORT, for notices
    MqttConnection connection;
    OutageQueue queue;
    bool linkUp = false;
    bool finishing = false;
    std::optional<int> offlineMessageId;
    std::vector<PublishedReading> discovered; // items with a config, to repeat it on each connection
    bool wasConnected = false;
    QString lastFailure; // told once, not at every retry
    uint64_t droppedBeforeOutage = 0;
    QTimer finishDeadline;
};
