#pragma once

// A real MQTT broker (Debian's mosquitto) on free loopback ports, and a real subscriber
// (libmosquitto on its own thread) that records what it receives.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTcpServer>
#include <QTemporaryDir>

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

struct mosquitto;

class MosquittoBroker {
public:
    struct Options {
        bool persistence = false; // sessions and retained messages survive a stop and start
        bool tls = false;         // a second listener with TLS; certificates made by openssl
        QString user;             // with a password: no anonymous clients
        QString password;
    };
    explicit MosquittoBroker(Options options);
    MosquittoBroker() : MosquittoBroker(Options{}) {}
    ~MosquittoBroker();

    // Starts the broker and waits until it takes connections; the reason when it does not.
    QString start();
    // SIGTERM, as a service manager stops it; it saves what it persists.
    void stop();

    uint16_t port() const { return plainPort; }
    uint16_t tlsPort() const { return securePort; }
    QString caFile() const;      // the CA that signed the TLS listener's certificate
    QString otherCaFile() const; // a CA that signed nothing here
    QString folder() const { return dir.path(); }
    QString log() const;

private:
    QString makeCertificates();
    void writeConfig();

    Options options;
    QTemporaryDir dir;
    QProcess process;
    uint16_t plainPort = 0;
    uint16_t securePort = 0;
    QString setupError;
};

// A TCP relay to a broker on loopback that can lose what clients send and cut every connection,
// as a network in between can: runs on the thread that makes it.
class FaultyLink : public QObject {
public:
    explicit FaultyLink(uint16_t brokerPort);
    uint16_t port() const;
    // While set, bytes from clients vanish on the way (and nothing comes back for them).
    void loseClientBytes(bool lose) { losing = lose; }
    void cutEveryConnection();

private:
    QTcpServer server;
    uint16_t brokerPort;
    bool losing = false;
};

// A port on 127.0.0.1 that nothing listened on a moment ago.
uint16_t freeLoopbackPort();

struct ReceivedMessage {
    QString topic;
    QByteArray payload;
    bool retained;
    int qos;
    std::chrono::steady_clock::time_point receivedAt;
};

class MqttSubscriber {
public:
    struct Options {
        QString clientId;               // empty: a clean session with a made-up id
        bool persistentSession = false; // the broker keeps QoS 1 messages while it is away
        QString user;
        QString password;
    };
    MqttSubscriber(uint16_t port, QStringList topics, Options options);
    MqttSubscriber(uint16_t port, QStringList topics) : MqttSubscriber(port, std::move(topics), Options{}) {}
    ~MqttSubscriber();

    // Waits (running the Qt event loop) until subscribed.
    bool waitSubscribed(int timeoutMs = 5000);
    // Waits until `done` holds for what arrived so far.
    bool waitFor(const std::function<bool(const std::vector<ReceivedMessage> &)> &done, int timeoutMs = 5000);
    // Waits until `count` messages arrived on `topic`.
    bool waitForCount(const QString &topic, size_t count, int timeoutMs = 5000);
    std::vector<ReceivedMessage> messages() const;
    std::vector<ReceivedMessage> messagesOn(const QString &topic) const;

private:
    static void onConnect(struct mosquitto *, void *self, int code);
    static void onSubscribe(struct mosquitto *, void *self, int, int, const int *);
    static void onMessage(struct mosquitto *, void *self, const struct mosquitto_message *message);

    QStringList topics;
    struct mosquitto *client = nullptr;
    mutable std::mutex mutex;
    std::vector<ReceivedMessage> received;
    bool subscribed = false;
};

// The retained message on a topic as a new subscriber gets it, if any within `timeoutMs`.
std::optional<ReceivedMessage> retainedMessage(uint16_t port, const QString &topic, int timeoutMs = 2000);
