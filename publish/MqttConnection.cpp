#include "publish/MqttConnection.h"

#include <QFile>

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <utility>

namespace {

constexpr int KeepAliveSeconds = 30;
constexpr std::chrono::milliseconds KeepAliveTick{1000};
constexpr std::chrono::milliseconds ConnectTimeout{10000};
constexpr std::chrono::milliseconds CloseTimeout{2000};
constexpr std::chrono::milliseconds FirstDelay{1000};
constexpr std::chrono::milliseconds LongestDelay{10000};
constexpr int QualityOfService = 1;

std::once_flag libraryStarted;

// Once for the process; libmosquitto wants it before any client and is not thread-safe there.
void startLibrary() {
    std::call_once(libraryStarted, [] { mosquitto_lib_init(); });
}

// Not deleted at once: it may be the notifier whose signal is being handled.
void release(std::unique_ptr<QSocketNotifier> &notifier) {
    if (!notifier)
        return;
    notifier->setEnabled(false);
    notifier.release()->deleteLater();
}

} // namespace

std::chrono::milliseconds reconnectDelay(int failedAttempts) {
    std::chrono::milliseconds delay = FirstDelay;
    for (int doubling = 1; doubling < failedAttempts && delay < LongestDelay; ++doubling)
        delay *= 2;
    return std::min(delay, LongestDelay);
}

MqttConnection::MqttConnection(MqttSettings settings, QString clientId, MqttWill will, QObject *parent)
    : QObject(parent), settings(std::move(settings)), clientId(std::move(clientId)), will(std::move(will)) {
    startLibrary();
    keepAliveTimer.setInterval(KeepAliveTick);
    connect(&keepAliveTimer, &QTimer::timeout, this, [this] {
        if (client)
            afterLoop(mosquitto_loop_misc(client));
    });
    retryTimer.setSingleShot(true);
    connect(&retryTimer, &QTimer::timeout, this, &MqttConnection::attempt);
    connectDeadline.setSingleShot(true);
    connectDeadline.setInterval(ConnectTimeout);
    connect(&connectDeadline, &QTimer::timeout, this, [this] {
        if (state == State::Connecting)
            drop(QStringLiteral("the broker did not answer within %1 s").arg(ConnectTimeout.count() / 1000));
    });
    closeDeadline.setSingleShot(true);
    closeDeadline.setInterval(CloseTimeout);
    connect(&closeDeadline, &QTimer::timeout, this, &MqttConnection::finishClose);
}

MqttConnection::~MqttConnection() {
    readNotifier.reset();
    writeNotifier.reset();
    if (client)
        mosquitto_destroy(client);
}

void MqttConnection::open() {
    if (state != State::Idle)
        return;
    attempt();
}

void MqttConnection::close() {
    retryTimer.stop();
    if (state == State::Connected) {
        state = State::Closing;
        mosquitto_disconnect(client);
        // libmosquitto closes the socket itself once DISCONNECT is written, often right here.
        if (mosquitto_socket(client) < 0) {
            finishClose();
            return;
        }
        watchSocket();
        closeDeadline.start();
        return;
    }
    if (state != State::Closing && state != State::Closed)
        finishClose();
}

std::optional<int> MqttConnection::publish(const QString &topic, const QByteArray &payload, bool retain) {
    if (state != State::Connected)
        return std::nullopt;
    int messageId = 0;
    const int result = mosquitto_publish(client, &messageId, topic.toUtf8().constData(), int(payload.size()),
                                         payload.constData(), QualityOfService, retain);
    if (result != MOSQ_ERR_SUCCESS) {
        afterLoop(result);
        return std::nullopt;
    }
    watchSocket();
    return messageId;
}

void MqttConnection::attempt() {
    state = State::Connecting;
    lastLibraryError.clear();
    client = mosquitto_new(clientId.toUtf8().constData(), true, this);
    if (!client) {
        drop(QStringLiteral("cannot make an MQTT client: %1").arg(qt_error_string(errno)));
        return;
    }
    mosquitto_connect_callback_set(client, &MqttConnection::onConnect);
    mosquitto_publish_callback_set(client, &MqttConnection::onPublish);
    mosquitto_log_callback_set(client, &MqttConnection::onLog);
    // The caller keeps every message until it is acknowledged, so libmosquitto need not hold back.
    mosquitto_max_inflight_messages_set(client, 0);
    const QByteArray willTopic = will.topic.toUtf8();
    int result = mosquitto_will_set(client, willTopic.constData(), int(will.payload.size()),
                                    will.payload.constData(), QualityOfService, true);
    if (result == MOSQ_ERR_SUCCESS && !settings.user.isEmpty())
        result =
            mosquitto_username_pw_set(client, settings.user.toUtf8().constData(),
                                      settings.password.isNull() ? nullptr : settings.password.constData());
    if (result == MOSQ_ERR_SUCCESS && !settings.caFile.isEmpty())
        result = mosquitto_tls_set(client, QFile::encodeName(settings.caFile).constData(), nullptr, nullptr,
                                   nullptr, nullptr);
    if (result == MOSQ_ERR_SUCCESS)
        result = mosquitto_connect_async(client, settings.host.toUtf8().constData(), settings.port,
                                         KeepAliveSeconds);
    if (result != MOSQ_ERR_SUCCESS) {
        drop(describe(result));
        return;
    }
    readNotifier = std::make_unique<QSocketNotifier>(mosquitto_socket(client), QSocketNotifier::Read);
    writeNotifier = std::make_unique<QSocketNotifier>(mosquitto_socket(client), QSocketNotifier::Write);
    connect(readNotifier.get(), &QSocketNotifier::activated, this,
            [this] { afterLoop(mosquitto_loop_read(client, 1)); });
    connect(writeNotifier.get(), &QSocketNotifier::activated, this,
            [this] { afterLoop(mosquitto_loop_write(client, 1)); });
    keepAliveTimer.start();
    connectDeadline.start();
    watchSocket();
}

void MqttConnection::afterLoop(int result) {
    if (!client)
        return;
    const std::optional<int> connack = std::exchange(connackCode, std::nullopt);
    const std::vector<int> acknowledgedNow = std::exchange(acknowledgedIds, {});
    if (state == State::Closing && (result != MOSQ_ERR_SUCCESS || mosquitto_socket(client) < 0)) {
        finishClose();
        return;
    }
    // A refusal also ends the step with an error; its reason is the better one to tell.
    if (connack && *connack != 0) {
        drop(QStringLiteral("the broker refused the connection: %1")
                 .arg(QString::fromUtf8(mosquitto_connack_string(*connack))));
        return;
    }
    if (result != MOSQ_ERR_SUCCESS || mosquitto_socket(client) < 0) {
        drop(describe(result));
        return;
    }
    if (connack) {
        state = State::Connected;
        connectDeadline.stop();
        failedAttempts = 0;
        emit connected();
        if (!client)
            return; // closed by a listener
    }
    for (const int messageId : acknowledgedNow)
        emit acknowledged(messageId);
    watchSocket();
}

void MqttConnection::watchSocket() {
    if (client && writeNotifier)
        writeNotifier->setEnabled(mosquitto_want_write(client));
}

void MqttConnection::releaseClient() {
    keepAliveTimer.stop();
    connectDeadline.stop();
    release(readNotifier);
    release(writeNotifier);
    if (client) {
        mosquitto_destroy(client);
        client = nullptr;
    }
    connackCode.reset();
    acknowledgedIds.clear();
}

void MqttConnection::drop(const QString &reason) {
    releaseClient();
    state = State::Idle;
    ++failedAttempts;
    retryTimer.start(reconnectDelay(failedAttempts));
    emit connectionFailed(reason);
}

void MqttConnection::finishClose() {
    closeDeadline.stop();
    retryTimer.stop();
    releaseClient();
    state = State::Closed;
    emit closed();
}

QString MqttConnection::describe(int result) const {
    QString reason = result == MOSQ_ERR_ERRNO     ? qt_error_string(errno)
                     : result == MOSQ_ERR_SUCCESS ? QStringLiteral("the broker closed the connection")
                                                  : QString::fromUtf8(mosquitto_strerror(result));
    // libmosquitto's texts are sentences; this one ends up inside another.
    while (reason.endsWith(u'.'))
        reason.chop(1);
    if (!lastLibraryError.isEmpty())
        reason += QStringLiteral(" (%1)").arg(lastLibraryError);
    return reason;
}

void MqttConnection::onConnect(struct mosquitto *, void *self, int code) {
    static_cast<MqttConnection *>(self)->connackCode = code;
}

void MqttConnection::onPublish(struct mosquitto *, void *self, int messageId) {
    static_cast<MqttConnection *>(self)->acknowledgedIds.push_back(messageId);
}

void MqttConnection::onLog(struct mosquitto *, void *self, int level, const char *text) {
    if (level == MOSQ_LOG_ERR)
        static_cast<MqttConnection *>(self)->lastLibraryError = QString::fromUtf8(text);
}
