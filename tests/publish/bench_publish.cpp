// Figures for the network outputs; a measuring tool, not a test.
//   bench_publish [ANSWERS] [SCRAPES]
// 1. An answer handed to the publisher until a subscriber on the same machine has its state
//    message (Debian's mosquitto on loopback, QoS 1), one answer every 20 ms.
// 2. A scrape of /metrics over a new loopback connection, from request to the whole answer.
// 3. Heap held by the outage queue for an hour of answers (2400 at one per 1.5 s) and for a
//    full queue (3600), with no broker to take them.

#include "support/BrokerFixture.h"

#include "publish/MetricsServer.h"
#include "publish/MqttPublisher.h"
#include "publish/ReadingsPublisher.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <malloc.h>
#include <map>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

const std::vector<ShownReading> FourReadings = {
    {"U1", " 230.1", "V"}, {"I1", " 1.234", "A"}, {"P1", "  0.28", "KW"}, {"PF1", "0.98", " "}};

double milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

void printSpread(const char *what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const auto at = [&values](double share) { return values[size_t(share * double(values.size() - 1))]; };
    std::printf("%s: median %.3f ms, 90 %% %.3f ms, max %.3f ms (%zu)\n", what, at(0.5), at(0.9),
                values.back(), values.size());
}

int latency(int answers) {
    MosquittoBroker broker;
    const QString error = broker.start();
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const QString topic = QStringLiteral("powerclamp/bench/state");
    MqttSubscriber subscriber(broker.port(), {topic});
    subscriber.waitSubscribed();
    PublishSettings settings;
    settings.meterName = QStringLiteral("bench");
    settings.mqtt = MqttSettings{};
    settings.mqtt->host = QStringLiteral("127.0.0.1");
    settings.mqtt->port = broker.port();
    ReadingsPublisher publisher(settings);
    QString startError;
    publisher.start(&startError);
    std::map<int, Clock::time_point> handedAt;
    constexpr int Warmup = 20;
    for (int number = 0; number < Warmup + answers; ++number) {
        std::vector<ShownReading> readings = FourReadings;
        readings.front().value = QString::number(number);
        handedAt[number] = Clock::now();
        publisher.takeAnswer(QDateTime::currentDateTime(), readings);
        QTest::qWait(20);
    }
    if (!subscriber.waitForCount(topic, size_t(Warmup + answers), 30000)) {
        std::fprintf(stderr, "not every state message arrived\n");
        return 1;
    }
    std::vector<double> delays;
    for (const ReceivedMessage &message : subscriber.messagesOn(topic)) {
        const int number = QJsonDocument::fromJson(message.payload).object().value("u1").toInt();
        if (number >= Warmup)
            delays.push_back(milliseconds(message.receivedAt - handedAt.at(number)));
    }
    printSpread("answer handed to the publisher -> subscriber has its state message", delays);
    return 0;
}

// One GET over a new connection; the time until the whole body is in.
std::optional<double> scrapeOnce(uint16_t port) {
    const int socketFd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const auto start = Clock::now();
    if (::connect(socketFd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(socketFd);
        return std::nullopt;
    }
    const char request[] = "GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    if (::send(socketFd, request, sizeof request - 1, 0) < 0) {
        ::close(socketFd);
        return std::nullopt;
    }
    QByteArray answer;
    char buffer[4096];
    std::optional<qsizetype> wholeSize;
    while (!wholeSize || answer.size() < *wholeSize) {
        const ssize_t got = ::recv(socketFd, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        answer.append(buffer, qsizetype(got));
        const qsizetype headerEnd = answer.indexOf("\r\n\r\n");
        if (!wholeSize && headerEnd >= 0) {
            const qsizetype lengthAt = answer.toLower().indexOf("content-length:");
            if (lengthAt < 0)
                break;
            const qsizetype lineEnd = answer.indexOf("\r\n", lengthAt);
            wholeSize =
                headerEnd + 4 + answer.mid(lengthAt + 15, lineEnd - lengthAt - 15).trimmed().toLongLong();
        }
    }
    const auto end = Clock::now();
    ::close(socketFd);
    if (!wholeSize || answer.size() < *wholeSize || !answer.startsWith("HTTP/1.1 200"))
        return std::nullopt;
    return milliseconds(end - start);
}

int scrapes(int count) {
    MeterMetrics metrics(QStringLiteral("bench"));
    metrics.takeLinkConnected();
    metrics.takeAnswer(QDateTime::currentDateTime(), publishedReadings(FourReadings));
    MetricsServer server(metrics);
    QString error;
    const std::optional<uint16_t> port = server.start(QHostAddress::LocalHost, 0, &error);
    if (!port) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::vector<double> times;
    // The client runs on a thread of its own; this thread serves, in a real event loop (QTest's
    // waits sleep between rounds of events, which would be timed too).
    QEventLoop serving;
    std::thread client([&] {
        for (int scrape = 0; scrape < count; ++scrape)
            if (const std::optional<double> time = scrapeOnce(*port))
                times.push_back(*time);
        QMetaObject::invokeMethod(&serving, &QEventLoop::quit, Qt::QueuedConnection);
    });
    serving.exec();
    client.join();
    if (times.size() != size_t(count)) {
        std::fprintf(stderr, "%zu of %d scrapes failed\n", size_t(count) - times.size(), count);
        return 1;
    }
    std::printf("metrics text: %lld bytes\n",
                static_cast<long long>(metrics.render(QDateTime::currentMSecsSinceEpoch()).size()));
    printSpread("scrape of /metrics over a new loopback connection", times);
    return 0;
}

size_t heapInUse() {
    return mallinfo2().uordblks;
}

int queueMemory() {
    for (const int answers : {2400, 3600}) {
        MqttSettings settings;
        settings.host = QStringLiteral("127.0.0.1");
        settings.port = freeLoopbackPort(); // nobody listens
        MqttPublisher publisher(settings, QStringLiteral("bench"), DeviceInfo{});
        publisher.start();
        const QDateTime start = QDateTime::currentDateTime();
        const size_t before = heapInUse();
        for (int number = 0; number < answers; ++number)
            publisher.takeAnswer(start.addMSecs(qint64(number) * 1500), publishedReadings(FourReadings));
        const size_t after = heapInUse();
        std::printf(
            "queue of %zu answers (4 readings each, %d dropped): %.1f KiB heap, %.0f bytes an answer\n",
            publisher.queuedStateMessages(), int(publisher.droppedStateMessages()),
            double(after - before) / 1024, double(after - before) / answers);
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    const int answers = argc > 1 ? std::atoi(argv[1]) : 500;
    const int scrapeCount = argc > 2 ? std::atoi(argv[2]) : 500;
    int failures = latency(answers);
    failures += scrapes(scrapeCount);
    failures += queueMemory();
    return failures == 0 ? 0 : 1;
}
