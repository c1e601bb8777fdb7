#include "publish/ReadingsPublisher.h"

#include "publish/MetricsServer.h"
#include "publish/MqttPublisher.h"

#include <QTimer>

ReadingsPublisher::ReadingsPublisher(PublishSettings settings, DeviceInfo device, QObject *parent)
    : QObject(parent), settings(std::move(settings)), device(std::move(device)),
      metrics(this->settings.meterName) {
    mqttThread.setObjectName(QStringLiteral("mqtt"));
}

ReadingsPublisher::~ReadingsPublisher() {
    stopMqttThread();
}

bool ReadingsPublisher::start(QString *error) {
    if (settings.metrics && !metricsServer) {
        metricsServer = std::make_unique<MetricsServer>(metrics);
        servedPort = metricsServer->start(settings.metrics->address, settings.metrics->port, error);
        if (!servedPort)
            return false;
    }
    if (settings.mqtt && !mqttContext) {
        mqttContext = new QObject;
        mqttContext->moveToThread(&mqttThread);
        connect(&mqttThread, &QThread::finished, mqttContext, &QObject::deleteLater);
        mqttThread.start();
        QMetaObject::invokeMethod(
            mqttContext,
            [this, mqttSettings = *settings.mqtt] {
                mqtt = new MqttPublisher(mqttSettings, settings.meterName, device);
                connect(&mqttThread, &QThread::finished, mqtt, &QObject::deleteLater);
                connect(mqtt, &MqttPublisher::notice, this, &ReadingsPublisher::notice);
                connect(mqtt, &MqttPublisher::finished, this, [this] {
                    stopMqttThread();
                    emit finished();
                });
                mqtt->start();
            },
            Qt::QueuedConnection);
    }
    return true;
}

void ReadingsPublisher::takeAnswer(const QDateTime &time, const std::vector<ShownReading> &readings) {
    const std::vector<PublishedReading> published = publishedReadings(readings);
    metrics.takeAnswer(time, published);
    toMqtt([time, published](MqttPublisher &publisher) { publisher.takeAnswer(time, published); });
}

void ReadingsPublisher::takeLinkConnected() {
    metrics.takeLinkConnected();
    toMqtt([](MqttPublisher &publisher) { publisher.takeLinkConnected(); });
}

void ReadingsPublisher::takeLinkLost() {
    metrics.takeLinkLost();
    toMqtt([](MqttPublisher &publisher) { publisher.takeLinkLost(); });
}

void ReadingsPublisher::takeTimeout() {
    metrics.takeTimeout();
}

void ReadingsPublisher::finish() {
    if (mqttThread.isRunning())
        toMqtt([](MqttPublisher &publisher) { publisher.finish(); });
    else
        QTimer::singleShot(0, this, &ReadingsPublisher::finished);
}

void ReadingsPublisher::toMqtt(std::function<void(MqttPublisher &)> action) {
    if (!mqttContext || !mqttThread.isRunning())
        return;
    QMetaObject::invokeMethod(
        mqttContext,
        [this, action = std::move(action)] {
            if (mqtt)
                action(*mqtt);
        },
        Qt::QueuedConnection);
}

void ReadingsPublisher::stopMqttThread() {
    mqttThread.quit();
    mqttThread.wait();
    // Both were deleted as the thread ended.
    mqtt = nullptr;
    mqttContext = nullptr;
}
