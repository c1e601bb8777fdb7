// The state messages kept for the broker: sent in order within the in-flight window, taken out
// when acknowledged, sent again after a lost connection, the oldest dropped beyond the
// capacity and counted; and the waits between connection attempts.
#include "publish/MqttConnection.h"
#include "publish/OutageQueue.h"

#include <QTest>

namespace {

// Sends what the queue offers under ids firstId, firstId + 1, ...; returns the payloads sent.
QList<QByteArray> sendAll(OutageQueue &queue, size_t maxInFlight, int &nextId) {
    QList<QByteArray> sent;
    while (const std::optional<QByteArray> payload = queue.nextToSend(maxInFlight)) {
        sent << *payload;
        queue.markSent(nextId++);
    }
    return sent;
}

void pushNumbered(OutageQueue &queue, int from, int to) {
    for (int number = from; number <= to; ++number)
        queue.push(QByteArray::number(number));
}

QList<QByteArray> numbered(int from, int to) {
    QList<QByteArray> payloads;
    for (int number = from; number <= to; ++number)
        payloads << QByteArray::number(number);
    return payloads;
}

} // namespace

class TestPublishQueue : public QObject {
    Q_OBJECT
private slots:
    void sendsInOrderWithinTheWindow();
    void acknowledgementsInAnyOrder();
    void lostConnectionSendsAgainInOrder();
    void beyondCapacityTheOldestGoes();
    void reconnectDelays_data();
    void reconnectDelays();
};

void TestPublishQueue::sendsInOrderWithinTheWindow() {
    OutageQueue queue(100);
    pushNumbered(queue, 1, 5);
    int nextId = 1;
    QCOMPARE(sendAll(queue, 3, nextId), numbered(1, 3));
    QCOMPARE(queue.inFlight(), size_t(3));
    QVERIFY(queue.acknowledge(1));
    QCOMPARE(sendAll(queue, 3, nextId), numbered(4, 4));
    QVERIFY(queue.acknowledge(2));
    QVERIFY(queue.acknowledge(3));
    QVERIFY(queue.acknowledge(4));
    QCOMPARE(sendAll(queue, 3, nextId), numbered(5, 5));
    QVERIFY(queue.acknowledge(5));
    QCOMPARE(queue.size(), size_t(0));
    QCOMPARE(sendAll(queue, 3, nextId), QList<QByteArray>{});
}

void TestPublishQueue::acknowledgementsInAnyOrder() {
    OutageQueue queue(100);
    pushNumbered(queue, 1, 4);
    int nextId = 10;
    QCOMPARE(sendAll(queue, 2, nextId), numbered(1, 2));
    QVERIFY(queue.acknowledge(11)); // the second first
    QCOMPARE(sendAll(queue, 2, nextId), numbered(3, 3));
    QVERIFY(!queue.acknowledge(11)); // not twice
    QVERIFY(!queue.acknowledge(99)); // not an id of ours (a config, say)
    QVERIFY(queue.acknowledge(10));
    QVERIFY(queue.acknowledge(12));
    QCOMPARE(sendAll(queue, 2, nextId), numbered(4, 4));
    QCOMPARE(queue.size(), size_t(1));
}

void TestPublishQueue::lostConnectionSendsAgainInOrder() {
    OutageQueue queue(100);
    pushNumbered(queue, 1, 5);
    int nextId = 1;
    QCOMPARE(sendAll(queue, 3, nextId), numbered(1, 3));
    QVERIFY(queue.acknowledge(1));
    queue.connectionLost();
    QCOMPARE(queue.inFlight(), size_t(0));
    pushNumbered(queue, 6, 6); // an answer during the outage
    // The unacknowledged ones first, then the rest; old ids mean nothing any more.
    QCOMPARE(sendAll(queue, 10, nextId), numbered(2, 6));
    QVERIFY(!queue.acknowledge(2));
    QCOMPARE(queue.size(), size_t(5));
}

void TestPublishQueue::beyondCapacityTheOldestGoes() {
    OutageQueue queue(3);
    int nextId = 1;
    pushNumbered(queue, 1, 2);
    QCOMPARE(sendAll(queue, 1, nextId), numbered(1, 1)); // 1 in flight
    pushNumbered(queue, 3, 5);                           // 1 and 2 dropped, in flight or not
    QCOMPARE(queue.dropped(), uint64_t(2));
    QCOMPARE(queue.size(), size_t(3));
    QCOMPARE(queue.inFlight(), size_t(0));
    QVERIFY(!queue.acknowledge(1)); // acknowledged after it was dropped
    QCOMPARE(sendAll(queue, 10, nextId), numbered(3, 5));
    pushNumbered(queue, 6, 6);
    QCOMPARE(queue.dropped(), uint64_t(3));
    QCOMPARE(queue.inFlight(), size_t(2));
}

void TestPublishQueue::reconnectDelays_data() {
    QTest::addColumn<int>("failedAttempts");
    QTest::addColumn<int>("delayMs");
    QTest::newRow("after the first failure") << 1 << 1000;
    QTest::newRow("second") << 2 << 2000;
    QTest::newRow("third") << 3 << 4000;
    QTest::newRow("fourth") << 4 << 8000;
    QTest::newRow("fifth: at most 10 s") << 5 << 10000;
    QTest::newRow("many") << 1000 << 10000;
}

void TestPublishQueue::reconnectDelays() {
    QFETCH(int, failedAttempts);
    QFETCH(int, delayMs);
    QCOMPARE(reconnectDelay(failedAttempts).count(), delayMs);
}

QTEST_GUILESS_MAIN(TestPublishQueue)
#include "tst_publish_queue.moc"
