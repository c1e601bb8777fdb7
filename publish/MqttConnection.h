#pragma once

// One MQTT connection through libmosquitto, driven by the Qt event loop of the thread it lives
// in: socket notifiers call mosquitto_loop_read and mosquitto_loop_write, a timer calls
// mosquitto_loop_misc for the keep-alive. libmosquitto's own thread (mosquitto_loop_start) is
// not used because it gives up for good after some errors (a TLS error on a live connection,
// a failed name look-up) and calls back on a thread of its own; here every failure ends in a
// retry with back-off and every callback lands on this object's thread. Each attempt starts from
// a new client, so nothing libmosquitto kept from an earlier connection is sent twice: messages
// that must survive an outage are the caller's to keep and send again.

#include "publish/PublishSettings.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>
#include <vector>

struct mosquitto;

// Waits between tries: 1, 2, 4, 8 s, then 10 s for as long as it takes.
std::chrono::milliseconds reconnectDelay(int failedAttempts);

struct MqttWill {
    QString topic;
    QByteArray payload; // retained, QoS 1
};

class MqttConnection : public QObject {
    Q_OBJECT
public:
    MqttConnection(MqttSettings settings, QString clientId, MqttWill will, QObject *parent = nullptr);
    ~MqttConnection() override;

    // Starts connecting; retries by itself until close().
    void open();
    // A clean end: DISCONNECT, so the broker keeps its will to itself. closed() follows.
    void close();
    bool isConnected() const { return state == State::Connected; }

    // QoS 1. The message id, or nothing when not connected or libmosquitto refuses.
    std::optional<int> publish(const QString &topic, const QByteArray &payload, bool retain);

signals:
    void connected();
    // A connection attempt failed or a connection ended; a retry is scheduled.
    void connectionFailed(const QString &reason);
    void acknowledged(int messageId);
    void closed();

private:
    enum class State { Idle, Connecting, Connected, Closing, Closed };

    void attempt();
    void afterLoop(int result);
    void watchSocket();
    void drop(const QString &reason);
    void releaseClient();
    void finishClose();
    QString describe(int result) const;

    static void onConnect(struct mosquitto *, void *self, int code);
    static void onPublish(struct mosquitto *, void *self, int messageId);
    static void onLog(struct mosquitto *, void *self, int level, const char *text);

    MqttSettings settings;
    QString clientId;
    MqttWill will;
    struct mosquitto *client = nullptr;
    State state = State::Idle;
    int failedAttempts = 0;
    std::unique_ptr<QSocketNotifier> readNotifier;
    std::unique_ptr<QSocketNotifier> writeNotifier;
    QTimer keepAliveTimer;
    QTimer retryTimer;
    QTimer connectDeadline;
    QTimer closeDeadline;
    // What libmosquitto's callbacks said during one loop step, handled after the step returns.
    std::optional<int> connackCode;
    std::vector<int> acknowledgedIds;
    QString lastLibraryError;
};
