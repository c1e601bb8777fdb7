#pragma once

// The network outputs of a run, fed with the link's events: the MQTT publisher on a thread of its
// own (a slow name look-up or TLS handshake never holds up the caller, whose log must not wait
// for the broker) and the metrics endpoint on the caller's thread.
//
//     ReadingsPublisher publisher(settings);   // settings from publishSettings()
//     if (!publisher.start(&error)) ...        // the metrics port may be taken
//     publisher.takeLinkConnected();            // the meter answers again
//     publisher.takeAnswer(time, readings);     // each realtime answer
//     publisher.takeTimeout();                  // a request the meter did not answer
//     publisher.takeLinkLost();
//     publisher.finish();                       // at the end; finished() follows

#include "publish/Discovery.h"
#include "publish/MeterMetrics.h"
#include "publish/PublishSettings.h"

#include <QObject>
#include <QThread>

#include <functional>
#include <memory>

class MetricsServer;
class MqttPublisher;

class ReadingsPublisher : public QObject {
    Q_OBJECT
public:
    explicit ReadingsPublisher(PublishSettings settings, DeviceInfo device = {}, QObject *parent = nullptr);
    // Without finish(), the broker is left to say "offline" through the will.
    ~ReadingsPublisher() override;

    // Listens for scrapes and starts connecting to the broker. False, with the reason, when the
    // metrics endpoint cannot listen.
    bool start(QString *error);
    // The port scrapes are served on, once started.
    std::optional<uint16_t> metricsPort() const { return servedPort; }

    void takeAnswer(const QDateTime &time, const std::vector<ShownReading> &readings);
    void takeLinkConnected();
    void takeLinkLost();
    void takeTimeout();
    // Sends what waits for the broker (a few seconds at most), says "offline" and disconnects.
    void finish();

signals:
    // For the user: the broker reached, lost, refusing; state messages dropped.
    void notice(const QString &text);
    void finished();

private:
    void toMqtt(std::function<void(MqttPublisher &)> action);
    void stopMqttThread();

    PublishSettings settings;
    DeviceInfo device;
    MeterMetrics metrics;
    std::unique_ptr<MetricsServer> metricsServer;
    std::optional<uint16_t> servedPort;
    QThread mqttThread;
    QObject *mqttContext = nullptr; // lives on mqttThread, which runs what toMqtt() hands it
    MqttPublisher *mqtt = nullptr;  // made, used and deleted on mqttThread only
};
