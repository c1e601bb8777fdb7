// The value panel as realtime answers leave it.
#include "app/Form1.h"
#include "support/FakePlatform.h"

#include <QLabel>
#include <QTest>

namespace {

const QString Blank = QStringLiteral("     ");

// Puts four reading blocks, written as hex, where a realtime answer carries them.
void loadPayload(Form1 &form, const QByteArray &hex) {
    const QByteArray payload = QByteArray::fromHex(hex);
    if (payload.size() != 32)
        qFatal("a realtime payload has 32 bytes: %s", hex.constData());
    std::copy(payload.begin(), payload.end(), form.engine.state.RxFrame.begin() + PayloadOffset);
}

QStringList captions(const std::array<QLabel *, 4> &labels) {
    QStringList texts;
    for (const QLabel *label : labels)
        texts << label->text();
    return texts;
}

} // namespace

class TestRealtimePanel : public QObject {
    Q_OBJECT
private slots:
    void captions_data();
    void captions();
    void emptyFourthBlockAfterFullPanel();
    void dotRuleRewritesTheFrame();
};

void TestRealtimePanel::captions_data() {
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("values");
    QTest::newRow("four empty blocks")
        << QByteArray("20 20 31 32 33 34 35 36  20 20 00 00 00 00 00 00"
                      "20 20 20 20 20 20 20 20  20 20 FF FF FF FF FF FF")
        << QStringList{Blank, Blank, Blank, Blank} << QStringList{Blank, Blank, Blank, Blank};
    QTest::newRow("spaces kept, power factor trimmed, labels padded")
        << QByteArray("04 03 20 32 33 30 2E 31  1A 03 20 32 33 30 2E 31"
                      "2D 07 20 20 31 2E 35 20  1B 03 33 39 39 2E 39 20")
        << QStringList{"U1:   ", "PF:   ", "W:    ", "U1U2: "}
        << QStringList{" 230.1V", "230.1V", "  1.5 W", "399.9 V"};
    QTest::newRow("time, space unit, dot rule, power factor before a space unit")
        << QByteArray("2E 0F 00 00 02 F2 39 39  04 13 20 32 33 30 2E 31"
                      "04 03 31 32 33 2E 34 35  17 13 20 30 2E 39 38 20")
        << QStringList{"TIME: ", "U1:   ", "U1:   ", "PF1:  "}
        << QStringList{"12:34mins", " 230.1 ", "123 45V", "0.98 "};
    QTest::newRow("codes outside the tables")
        << QByteArray("3A 16 20 31 2E 35 20 20  04 20 20 32 33 30 2E 31"
                      "20 03 20 32 33 30 2E 31  FF FF 20 20 20 20 20 20")
        << QStringList{"?58:  ", "U1:   ", "U3I:  ", "?255: "}
        << QStringList{" 1.5  ?22", " 230.1?32", " 230.1V", "      ?255"};
}

void TestRealtimePanel::captions() {
    QFETCH(QByteArray, payload);
    QFETCH(QStringList, items);
    QFETCH(QStringList, values);
    FakePlatform platform;
    Form1 form(platform);
    loadPayload(form, payload);
    form.engine.RealtimeDataHandle();
    QCOMPARE(::captions(form.Lab_testpro), items);
    QCOMPARE(::captions(form.Lab_value), values);
}

void TestRealtimePanel::emptyFourthBlockAfterFullPanel() {
    FakePlatform platform;
    Form1 form(platform);
    loadPayload(form, "0B 07 20 20 31 2E 35 20  0F 09 20 20 32 2E 35 20"
                      "13 0B 20 20 33 2E 35 20  17 13 20 30 2E 39 38 20");
    form.engine.RealtimeDataHandle();
    loadPayload(form, "0C 07 20 20 20 34 2E 35  10 09 20 20 20 35 2E 35"
                      "14 0B 20 20 20 36 2E 35  20 20 20 30 2E 39 38 20");
    form.engine.RealtimeDataHandle();
    QCOMPARE(::captions(form.Lab_testpro), (QStringList{"P2:   ", "Q2:   ", "S2:   ", Blank}));
    QCOMPARE(::captions(form.Lab_value), (QStringList{"   4.5W", "   5.5var", "   6.5VA", Blank}));
}

void TestRealtimePanel::dotRuleRewritesTheFrame() {
    FakePlatform platform;
    Form1 form(platform);
    loadPayload(form, "04 03 31 32 33 2E 34 35  17 13 31 32 33 2E 34 35"
                      "20 20 31 32 33 2E 34 35  00 00 31 32 33 2E 34 35");
    form.engine.RealtimeDataHandle();
    const auto &frame = form.engine.state.RxFrame;
    QCOMPARE(frame[PayloadOffset + 5], uint8_t(' '));
    QCOMPARE(frame[PayloadOffset + 8 + 5], uint8_t('.'));
    QCOMPARE(frame[PayloadOffset + 16 + 5], uint8_t('.')); // empty blocks are not read
    QCOMPARE(frame[PayloadOffset + 24 + 5], uint8_t(' '));
}

QTEST_MAIN(TestRealtimePanel)
#include "tst_realtimepanel.moc"
