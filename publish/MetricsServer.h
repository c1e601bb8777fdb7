#pragma once

// GET /metrics over HTTP for Prometheus: the meter's metrics as text. Any other path answers
// 404, any other method on /metrics 405.

#include "publish/MeterMetrics.h"

#include <QAbstractHttpServer>
#include <QHostAddress>

#include <functional>

class MetricsServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    using Clock = std::function<qint64()>; // milliseconds since the Unix epoch

    // `metrics` must outlive the server.
    explicit MetricsServer(const MeterMetrics &metrics, Clock clock = &QDateTime::currentMSecsSinceEpoch,
                           QObject *parent = nullptr);

    // The port listened on (the chosen one for port 0), or nothing with the reason in `error`.
    std::optional<uint16_t> start(const QHostAddress &address, uint16_t port, QString *error);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    const MeterMetrics &metrics;
    Clock clock;
};
