#include "support/BrokerFixture.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <mosquitto.h>

namespace {

constexpr int ProcessTimeoutMs = 10000;

std::once_flag libraryStarted;

QString run(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(ProcessTimeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(process.readAll()));
    return {};
}

bool acceptsConnections(uint16_t port) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(200);
}

} // namespace

uint16_t freeLoopbackPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

FaultyLink::FaultyLink(uint16_t brokerPort) : brokerPort(brokerPort) {
    server.listen(QHostAddress::LocalHost, 0);
    connect(&server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *client = server.nextPendingConnection()) {
            auto *broker = new QTcpSocket(client);
            broker->connectToHost(QHostAddress::LocalHost, this->brokerPort);
            connect(client, &QTcpSocket::readyRead, broker, [this, client, broker] {
                const QByteArray bytes = client->readAll();
                if (!losing)
                    broker->write(bytes);
            });
            connect(broker, &QTcpSocket::readyRead, client,
                    [client, broker] { client->write(broker->readAll()); });
            connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
            connect(broker, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
        }
    });
}

uint16_t FaultyLink::port() const {
    return server.serverPort();
}

void FaultyLink::cutEveryConnection() {
    for (QTcpSocket *client : server.findChildren<QTcpSocket *>(QString(), Qt::FindDirectChildrenOnly))
        client->abort();
}

MosquittoBroker::MosquittoBroker(Options options) : options(std::move(options)) {
    // Run as root, the broker drops to its own user, which must reach the folder and write its data.
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                          QFile::ExeOther);
    QDir(dir.path()).mkdir(QStringLiteral("data"));
    QFile::setPermissions(dir.filePath(QStringLiteral("data")), QFileDevice::Permissions(0x7777));
    plainPort = freeLoopbackPort();
    if (this->options.tls) {
        securePort = freeLoopbackPort();
        setupError = makeCertificates();
    }
    if (setupError.isEmpty() && !this->options.user.isEmpty())
        setupError = run(QStringLiteral(MOSQUITTO_PASSWD_PATH), {QStringLiteral("-b"), QStringLiteral("-c"),
                                                                 dir.filePath(QStringLiteral("passwords")),
                                                                 this->options.user, this->options.password});
    writeConfig();
}

MosquittoBroker::~MosquittoBroker() {
    stop();
}

QString MosquittoBroker::makeCertificates() {
    const auto path = [this](const char *name) { return dir.filePath(QLatin1String(name)); };
    const QString openssl = QStringLiteral(OPENSSL_PATH);
    const QStringList ecKey = {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                               QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
    for (const char *ca : {"ca", "other-ca"}) {
        const QString name = QLatin1String(ca);
        const QString error = run(
            openssl, QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ecKey +
                         QStringList{QStringLiteral("-keyout"), dir.filePath(name + QStringLiteral(".key")),
                                     QStringLiteral("-out"), dir.filePath(name + QStringLiteral(".crt")),
                                     QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                                     QStringLiteral("/CN=powerclamp test ") + name});
        if (!error.isEmpty())
            return error;
    }
    QString error = run(openssl, QStringList{QStringLiteral("req")} + ecKey +
                                     QStringList{QStringLiteral("-keyout"), path("server.key"),
                                                 QStringLiteral("-out"), path("server.csr"),
                                                 QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")});
    if (!error.isEmpty())
        return error;
    QFile extensions(path("server.ext"));
    if (!extensions.open(QIODevice::WriteOnly) || extensions.write("subjectAltName=IP:127.0.0.1\n") < 0)
        return QStringLiteral("cannot write %1").arg(extensions.fileName());
    extensions.close();
    error = run(openssl, {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                          path("server.csr"), QStringLiteral("-CA"), path("ca.crt"), QStringLiteral("-CAkey"),
                          path("ca.key"), QStringLiteral("-CAcreateserial"), QStringLiteral("-out"),
                          path("server.crt"), QStringLiteral("-days"), QStringLiteral("2"),
                          QStringLiteral("-extfile"), path("server.ext")});
    if (!error.isEmpty())
        return error;
    // Test keys only: the broker's own user must read them.
    for (const char *file : {"server.key", "server.crt", "ca.crt"})
        QFile::setPermissions(path(file),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return {};
}

void MosquittoBroker::writeConfig() {
    QString config = QStringLiteral("listener %1 127.0.0.1\n").arg(plainPort);
    if (options.tls)
        config += QStringLiteral("listener %1 127.0.0.1\ncafile %2\ncertfile %3\nkeyfile %4\n")
                      .arg(QString::number(securePort), caFile(), dir.filePath(QStringLiteral("server.crt")),
                           dir.filePath(QStringLiteral("server.key")));
    if (options.user.isEmpty())
        config += QStringLiteral("allow_anonymous true\n");
    else
        config += QStringLiteral("allow_anonymous false\npassword_file %1\n")
                      .arg(dir.filePath(QStringLiteral("passwords")));
    if (options.persistence)
        config += QStringLiteral("persistence true\npersistence_location %1/\n")
                      .arg(dir.filePath(QStringLiteral("data")));
    config += QStringLiteral("log_dest file %1\nlog_type all\n")
                  .arg(dir.filePath(QStringLiteral("data/broker.log")));
    QFile file(dir.filePath(QStringLiteral("mosquitto.conf")));
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0)
        setupError = QStringLiteral("cannot write %1").arg(file.fileName());
}

QString MosquittoBroker::start() {
    if (!setupError.isEmpty())
        return setupError;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral(MOSQUITTO_PATH),
                  {QStringLiteral("-c"), dir.filePath(QStringLiteral("mosquitto.conf"))});
    if (!process.waitForStarted(ProcessTimeoutMs))
        return QStringLiteral("cannot start mosquitto: %1").arg(process.errorString());
    QDeadlineTimer deadline(ProcessTimeoutMs);
    while (!deadline.hasExpired()) {
        if (acceptsConnections(plainPort) && (!options.tls || acceptsConnections(securePort)))
            return {};
        if (process.state() == QProcess::NotRunning)
            break;
        QTest::qWait(20);
    }
    return QStringLiteral("mosquitto did not take connections: %1 %2")
        .arg(QString::fromLocal8Bit(process.readAll()), log());
}

void MosquittoBroker::stop() {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(ProcessTimeoutMs))
        process.kill();
    process.waitForFinished(ProcessTimeoutMs);
}

QString MosquittoBroker::caFile() const {
    return dir.filePath(QStringLiteral("ca.crt"));
}

QString MosquittoBroker::otherCaFile() const {
    return dir.filePath(QStringLiteral("other-ca.crt"));
}

QString MosquittoBroker::log() const {
    QFile file(dir.filePath(QStringLiteral("data/broker.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

MqttSubscriber::MqttSubscriber(uint16_t port, QStringList topics, Options options)
    : topics(std::move(topics)) {
    std::call_once(libraryStarted, [] { mosquitto_lib_init(); });
    const QByteArray id = options.clientId.toUtf8();
    client = mosquitto_new(id.isEmpty() ? nullptr : id.constData(), !options.persistentSession, this);
    mosquitto_connect_callback_set(client, &MqttSubscriber::onConnect);
    mosquitto_subscribe_callback_set(client, &MqttSubscriber::onSubscribe);
    mosquitto_message_callback_set(client, &MqttSubscriber::onMessage);
    if (!options.user.isEmpty())
        mosquitto_username_pw_set(client, options.user.toUtf8().constData(),
                                  options.password.toUtf8().constData());
    mosquitto_reconnect_delay_set(client, 1, 1, false);
    mosquitto_connect_async(client, "127.0.0.1", port, 10);
    mosquitto_loop_start(client);
}

MqttSubscriber::~MqttSubscriber() {
    mosquitto_disconnect(client);
    mosquitto_loop_stop(client, false);
    mosquitto_destroy(client);
}

void MqttSubscriber::onConnect(struct mosquitto *client, void *self, int code) {
    if (code != 0)
        return;
    // Again after every reconnect: a clean session forgets its subscriptions.
    for (const QString &topic : static_cast<MqttSubscriber *>(self)->topics)
        mosquitto_subscribe(client, nullptr, topic.toUtf8().constData(), 1);
}

void MqttSubscriber::onSubscribe(struct mosquitto *, void *self, int, int, const int *) {
    auto *subscriber = static_cast<MqttSubscriber *>(self);
    const std::lock_guard<std::mutex> lock(subscriber->mutex);
    subscriber->subscribed = true;
}

void MqttSubscriber::onMessage(struct mosquitto *, void *self, const struct mosquitto_message *message) {
    const auto now = std::chrono::steady_clock::now();
    auto *subscriber = static_cast<MqttSubscriber *>(self);
    const std::lock_guard<std::mutex> lock(subscriber->mutex);
    subscriber->received.push_back(
        {QString::fromUtf8(message->topic),
         QByteArray(static_cast<const char *>(message->payload), message->payloadlen), message->retain,
         message->qos, now});
}

bool MqttSubscriber::waitSubscribed(int timeoutMs) {
    return QTest::qWaitFor(
        [this] {
            const std::lock_guard<std::mutex> lock(mutex);
            return subscribed;
        },
        timeoutMs);
}

bool MqttSubscriber::waitFor(const std::function<bool(const std::vector<ReceivedMessage> &)> &done,
                             int timeoutMs) {
    return QTest::qWaitFor([&] { return done(messages()); }, timeoutMs);
}

bool MqttSubscriber::waitForCount(const QString &topic, size_t count, int timeoutMs) {
    return QTest::qWaitFor([&] { return messagesOn(topic).size() >= count; }, timeoutMs);
}

std::vector<ReceivedMessage> MqttSubscriber::messages() const {
    const std::lock_guard<std::mutex> lock(mutex);
    return received;
}

std::vector<ReceivedMessage> MqttSubscriber::messagesOn(const QString &topic) const {
    std::vector<ReceivedMessage> onTopic;
    for (const ReceivedMessage &message : messages())
        if (message.topic == topic)
            onTopic.push_back(message);
    return onTopic;
}

std::optional<ReceivedMessage> retainedMessage(uint16_t port, const QString &topic, int timeoutMs) {
    MqttSubscriber subscriber(port, {topic});
    if (!subscriber.waitSubscribed())
        return std::nullopt;
    // A retained message comes before the subscription is acknowledged; a short wait covers a slow thread.
    subscriber.waitForCount(topic, 1, timeoutMs / 4);
    for (const ReceivedMessage &message : subscriber.messagesOn(topic))
        if (message.retained)
            return message;
    return std::nullopt;
}
