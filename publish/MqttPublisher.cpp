#include "publish/MqttPublisher.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

// Unacknowledged state messages at a time: enough to keep a slow link busy, few enough that a
// reconnect sends little twice.
constexpr size_t MaxInFlight = 20;
constexpr std::chrono::milliseconds FinishTimeout{5000};

QString clientIdFor(const QString &meterName) {
    return QStringLiteral("powerclamp-%1-%2")
        .arg(meterName, QString::number(QCoreApplication::applicationPid()));
}

QString brokerText(const MqttSettings &settings) {
    const QString host = settings.host.contains(u':') ? u'[' + settings.host + u']' : settings.host;
    return host + u':' + QString::number(settings.port);
}

} // namespace

MqttPublisher::MqttPublisher(const MqttSettings &settings, const QString &meterName, const DeviceInfo &device,
                             QObject *parent)
    : QObject(parent), meterName(meterName), discoveryPrefix(settings.discoveryPrefix), device(device),
      topics(meterTopics(settings.topicPrefix, meterName)), broker(brokerText(settings)),
      connection(settings, clientIdFor(meterName), MqttWill{topics.availability, availabilityPayload(false)}),
      queue(settings.queueCapacity) {
    connect(&connection, &MqttConnection::connected, this, &MqttPublisher::onConnected);
    connect(&connection, &MqttConnection::connectionFailed, this, &MqttPublisher::onConnectionFailed);
    connect(&connection, &MqttConnection::acknowledged, this, &MqttPublisher::onAcknowledged);
    connect(&connection, &MqttConnection::closed, this, [this] {
        finishDeadline.stop();
        if (queue.size() > 0)
            emit notice(QStringLiteral("MQTT %1: %2 state messages could not be sent before the end")
                            .arg(broker, QString::number(queue.size())));
        emit finished();
    });
    finishDeadline.setSingleShot(true);
    finishDeadline.setInterval(FinishTimeout);
    connect(&finishDeadline, &QTimer::timeout, this, [this] {
        // The broker is too slow to take the rest: still say "offline", ahead of DISCONNECT.
        if (!offlineMessageId)
            connection.publish(topics.availability, availabilityPayload(false), true);
        connection.close();
    });
}

void MqttPublisher::start() {
    connection.open();
}

void MqttPublisher::takeAnswer(const QDateTime &time, const std::vector<PublishedReading> &readings) {
    if (finishing)
        return;
    setLinkUp(true);
    if (!discoveryPrefix.isEmpty())
        for (const PublishedReading &reading : readings) {
            const auto sameItem = [&reading](const PublishedReading &known) {
                return known.key == reading.key;
            };
            if (std::none_of(discovered.begin(), discovered.end(), sameItem) &&
                discoveryMessage(discoveryPrefix, meterName, topics, device, reading)) {
                discovered.push_back(reading);
                publishDiscovery(reading);
            }
        }
    const uint64_t droppedBefore = queue.dropped();
    queue.push(stateMessage(time, readings));
    if (queue.dropped() > droppedBefore && droppedBefore == droppedBeforeOutage)
        emit notice(
            QStringLiteral("MQTT %1: %2 state messages are waiting for the broker; dropping the oldest")
                .arg(broker, QString::number(queue.size())));
    sendQueued();
}

void MqttPublisher::takeLinkConnected() {
    if (!finishing)
        setLinkUp(true);
}

void MqttPublisher::takeLinkLost() {
    if (!finishing)
        setLinkUp(false);
}

void MqttPublisher::finish() {
    if (finishing)
        return;
    finishing = true;
    finishDeadline.start();
    if (connection.isConnected())
        closeWhenSent();
    else
        connection.close();
}

void MqttPublisher::onConnected() {
    emit notice(QStringLiteral("MQTT %1: connected").arg(broker));
    if (queue.dropped() > droppedBeforeOutage)
        emit notice(QStringLiteral("MQTT %1: %2 state messages were dropped while the broker was away")
                        .arg(broker, QString::number(queue.dropped() - droppedBeforeOutage)));
    wasConnected = true;
    lastFailure.clear();
    publishAvailability();
    for (const PublishedReading &reading : discovered)
        publishDiscovery(reading);
    sendQueued();
    if (finishing)
        closeWhenSent();
}

void MqttPublisher::onConnectionFailed(const QString &reason) {
    queue.connectionLost();
    offlineMessageId.reset();
    if (wasConnected) {
        droppedBeforeOutage = queue.dropped();
        emit notice(QStringLiteral("MQTT %1: connection lost: %2; keeping state messages and retrying")
                        .arg(broker, reason));
    } else if (reason != lastFailure) {
        emit notice(QStringLiteral("MQTT %1: cannot connect: %2; retrying").arg(broker, reason));
    }
    wasConnected = false;
    lastFailure = reason;
    if (finishing)
        connection.close();
}

void MqttPublisher::onAcknowledged(int messageId) {
    if (queue.acknowledge(messageId))
        sendQueued();
    if (!finishing)
        return;
    if (offlineMessageId == messageId)
        connection.close();
    else
        closeWhenSent();
}

void MqttPublisher::setLinkUp(bool up) {
    if (linkUp == up)
        return;
    linkUp = up;
    publishAvailability();
}

void MqttPublisher::publishAvailability() {
    connection.publish(topics.availability, availabilityPayload(linkUp), true);
}

void MqttPublisher::publishDiscovery(const PublishedReading &reading) {
    if (const std::optional<DiscoveryMessage> message =
            discoveryMessage(discoveryPrefix, meterName, topics, device, reading))
        connection.publish(message->topic, message->payload, true);
}

void MqttPublisher::sendQueued() {
    if (!connection.isConnected())
        return;
    while (const std::optional<QByteArray> payload = queue.nextToSend(MaxInFlight)) {
        const std::optional<int> messageId = connection.publish(topics.state, *payload, false);
        if (!messageId)
            return;
        queue.markSent(*messageId);
    }
}

void MqttPublisher::closeWhenSent() {
    if (queue.size() > 0 || offlineMessageId)
        return;
    offlineMessageId = connection.publish(topics.availability, availabilityPayload(false), true);
    if (!offlineMessageId)
        connection.close();
}
