// The record download: the count answer, block after block into the grid, and how it ends.
#include "LinkFixture.h"

#include "app/TabStrip.h"
#include "link/TimerControl.h"
#include "measure/GridControl.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>

#include <optional>

namespace {

// Found in the Record view, with the meter holding `records`; Read clicked.
struct Download : LinkFixture {
    Download(int records, bool eightByteCount, bool pacedLine = false) {
        meter.recordCount = records;
        meter.eightByteCount = eightByteCount;
        if (pacedLine)
            meter.fault = ScriptedMeter::Fault::Paced;
    }
    bool start() {
        if (!findMeter())
            return false;
        clickTab(2);
        form.Button_read_Click();
        return true;
    }
    // Runs until the tab strip comes back, which every end of a download does.
    bool runToEnd() {
        for (int step = 0; step < 2000 && !form.TabStrip1->isEnabled(); ++step)
            platform.clock.advance(10);
        return form.TabStrip1->isEnabled();
    }
    QString recordNumber(int record) const { return form.DataGrid->TextMatrix(2 * record, 0); }
    QString recordValue(int record) const { return form.DataGrid->TextMatrix(2 * record + 1, 1); }
};

// The time the meter's record `record` (from 0) holds in its first block, as its manual gives
// it: record + 1 minutes.
QString storedTime(int record) {
    const int minutes = record + 1;
    return minutes < 60 ? QString::asprintf("%02d:00mins", minutes)
                        : QString::asprintf("%02d:%02dhmin", minutes / 60, minutes % 60);
}

void verifyCommandsRestored(Form1 &form) {
    QVERIFY(form.Button_read->isEnabled() && form.menuread->isEnabled());
    QVERIFY(form.Button_save->isEnabled() && form.menusave->isEnabled());
    QVERIFY(form.Button_clear->isEnabled() && form.menuclear->isEnabled());
    QVERIFY(form.Button_print->isEnabled() && form.menuprint->isEnabled());
    QVERIFY(form.Button_help->isEnabled() && form.menuhelp->menuAction()->isEnabled());
    QVERIFY(form.TabStrip1->isEnabled());
    QVERIFY(form.engine.Timer_real->Enabled());
    QVERIFY(form.Progress_read->isHidden());
    QCOMPARE(int(form.engine.state.RecordBlocks), 0);
}

} // namespace

class DownloadTest : public QObject {
    Q_OBJECT
private slots:
    void wholeDownload_data();
    void wholeDownload();
    void noRecords_data();
    void noRecords();
    void progressDuringDownload();
    void brokenOffDownloadKeepsRows();
    void lateBlockAfterTimeoutIgnored();
    void extraRecordsInBlockIgnored();
    void wrongFrameEndsDownloadByTimeout_data();
    void wrongFrameEndsDownloadByTimeout();
    void unaskedCountStartsNothing_data();
    void unaskedCountStartsNothing();
    void unreadableCountIsNoAnswer_data();
    void unreadableCountIsNoAnswer();
    void framesAheadOfEveryAnswer_data();
    void framesAheadOfEveryAnswer();
    void readBeforeFoundTick();
};

void DownloadTest::wholeDownload_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<bool>("eightByteCount");
    QTest::addColumn<int>("downloaded");
    QTest::addColumn<bool>("pacedLine");

    QTest::newRow("1, 7-byte count") << 1 << false << 1 << false;
    QTest::newRow("3, 7-byte count") << 3 << false << 3 << false;
    QTest::newRow("4, 8-byte count") << 4 << true << 4 << false;
    QTest::newRow("7, 7-byte count") << 7 << false << 7 << false;
    QTest::newRow("128") << 128 << true << 128 << false;
    QTest::newRow("200, 8-byte count") << 200 << true << 200 << false;
    QTest::newRow("201") << 201 << true << 201 << false;
    QTest::newRow("255, 7-byte count") << 255 << false << 201 << false;
    QTest::newRow("258") << 258 << true << 201 << false;
    QTest::newRow("32768") << 32768 << true << 201 << false;
    QTest::newRow("65535") << 65535 << true << 201 << false;
    // The receive event fires at the threshold, before the last byte of an 8-byte count.
    QTest::newRow("200, 8-byte count, paced line") << 200 << true << 200 << true;
    QTest::newRow("200, 7-byte count, paced line") << 200 << false << 200 << true;
}

void DownloadTest::wholeDownload() {
    QFETCH(int, records);
    QFETCH(bool, eightByteCount);
    QFETCH(int, downloaded);
    QFETCH(bool, pacedLine);
    Download download(records, eightByteCount, pacedLine);
    QVERIFY(download.start());
    QVERIFY(download.runToEnd());

    // Every record asked for once, in order, at most three at a time, none past the last.
    const auto requests = download.meter.recordRequests();
    int next = 0;
    for (const auto &[first, count] : requests) {
        QCOMPARE(first, next);
        QVERIFY(count >= 1 && count <= 3);
        next += count;
    }
    QCOMPARE(next, downloaded);

    Form1 &form = download.form;
    for (int record = 0; record < downloaded; ++record) {
        QCOMPARE(download.recordNumber(record), QStringLiteral("NO.%1").arg(record + 1));
        QCOMPARE(download.recordValue(record), storedTime(record));
    }
    QCOMPARE(form.Progress_read->maximum(), downloaded);
    QCOMPARE(form.Progress_read->value(), downloaded);
    verifyCommandsRestored(form);
    QVERIFY(download.platform.messages.empty());
    QCOMPARE(form.Lab_rtsta->text(), QStringLiteral("Connected"));
}

void DownloadTest::noRecords_data() {
    QTest::addColumn<bool>("eightByteCount");
    QTest::newRow("7-byte count") << false;
    QTest::newRow("8-byte count") << true;
}

void DownloadTest::noRecords() {
    QFETCH(bool, eightByteCount);
    Download download(0, eightByteCount);
    std::optional<bool> pollingWhileBoxShows;
    download.platform.whileMsgBoxShows = [&download, &pollingWhileBoxShows](const MessageBoxRequest &) {
        pollingWhileBoxShows = download.form.engine.Timer_real->Enabled();
    };
    QVERIFY(download.start());
    QVERIFY(download.runToEnd());

    // Polling resumes once the box is closed, not while it waits for the user.
    QCOMPARE(pollingWhileBoxShows, std::optional<bool>(false));
    QVERIFY(download.meter.recordRequests().empty());
    QCOMPARE(download.platform.messages.size(), size_t(1));
    QCOMPARE(download.platform.messages[0].text,
             QStringLiteral("The record number is 0 in the machine\uFF01"));
    verifyCommandsRestored(download.form);
}

void DownloadTest::progressDuringDownload() {
    Download download(7, false);
    QVERIFY(download.start());
    QList<int> values;
    QObject::connect(download.form.Progress_read, &QProgressBar::valueChanged,
                     [&values](int value) { values << value; });
    QVERIFY(download.runToEnd());
    QCOMPARE(values, QList<int>({0, 3, 6, 7}));
}

void DownloadTest::brokenOffDownloadKeepsRows() {
    Download download(7, true);
    QVERIFY(download.start());
    // Answer the count and the first block, then fall silent.
    while (download.meter.recordRequests().empty())
        download.platform.clock.advance(1);
    download.meter.fault = ScriptedMeter::Fault::Silent;
    while (download.meter.recordRequests().size() < 2)
        download.platform.clock.advance(1);
    const int64_t askedAt = download.platform.clock.now();
    download.platform.clock.advance(2499);
    QVERIFY(!download.form.TabStrip1->isEnabled());
    QVERIFY(!download.form.Progress_read->isHidden());
    download.platform.clock.advance(1);

    Form1 &form = download.form;
    QCOMPARE(download.platform.clock.now(), askedAt + 2500);
    QCOMPARE(form.Lab_rtsta->text(), QStringLiteral("Unconnected"));
    verifyCommandsRestored(form);
    QCOMPARE(download.recordNumber(2), QStringLiteral("NO.3"));
    QCOMPARE(download.recordValue(2), storedTime(2));

    // A new Read starts over from the count and brings every record.
    download.meter.fault = ScriptedMeter::Fault::None;
    download.form.Button_read_Click();
    QVERIFY(download.runToEnd());
    const auto requests = download.meter.recordRequests();
    QCOMPARE(requests.size(), size_t(2 + 3));
    QCOMPARE(requests[2], std::make_pair(0, 3));
    QCOMPARE(download.recordNumber(6), QStringLiteral("NO.7"));
}

// A block that arrives after its request timed out would be taken for the first block of a
// download that is no longer running.
void DownloadTest::lateBlockAfterTimeoutIgnored() {
    Download download(7, false);
    QVERIFY(download.start());
    while (download.meter.recordRequests().empty())
        download.platform.clock.advance(1);
    download.meter.answerDelayMs = 2600;
    while (download.meter.recordRequests().size() < 2)
        download.platform.clock.advance(1);
    download.platform.clock.advance(2700);

    QCOMPARE(download.recordValue(0), storedTime(0));
    QCOMPARE(download.meter.recordRequests().size(), size_t(2));
    QCOMPARE(int(download.form.engine.state.RecordBlocks), 0);
}

void DownloadTest::extraRecordsInBlockIgnored() {
    Download download(4, true);
    QVERIFY(download.start());
    while (download.meter.recordRequests().empty())
        download.platform.clock.advance(1);
    // The last block asks for one record; the meter sends three.
    download.meter.scriptedAnswers = {ScriptedMeter::frame(
        1, ScriptedMeter::record(3) + ScriptedMeter::record(4) + ScriptedMeter::record(5))};
    QVERIFY(download.runToEnd());
    QCOMPARE(download.form.DataGrid->Rows(), 2 * 4);
    QVERIFY(download.recordValue(3).startsWith(QStringLiteral("R00003")));
}

void DownloadTest::wrongFrameEndsDownloadByTimeout_data() {
    QTest::addColumn<int>("requestType");
    QTest::addColumn<int>("firstRecord"); // of the block request answered wrongly
    QTest::addColumn<QByteArray>("wrongFrame");
    QTest::addColumn<int>("rowsKept");

    const QByteArray linkCheck = QByteArray::fromHex("B15A00060555AAA6");
    const QByteArray realtime = ScriptedMeter::frame(6, QByteArray(32, '\x20'));
    QTest::newRow("link check to the count request") << 2 << 0 << linkCheck << 0;
    QTest::newRow("realtime to the last one-record block") << 1 << 6 << realtime << 6;
    QTest::newRow("count to the first block") << 1 << 0 << QByteArray::fromHex("B15A000502075A") << 0;
}

// A valid frame of another type does not end the wait for the answer: the time-out breaks
// the download off and gives the window back.
void DownloadTest::wrongFrameEndsDownloadByTimeout() {
    QFETCH(int, requestType);
    QFETCH(int, firstRecord);
    QFETCH(QByteArray, wrongFrame);
    QFETCH(int, rowsKept);
    Download download(7, false);
    int64_t wronglyAnsweredAt = -1;
    download.meter.wrongAnswer = [&](const QByteArray &request) -> std::optional<QByteArray> {
        const bool wrong =
            request[4] == char(requestType) &&
            (requestType != 1 || uint8_t(request[5]) * 256 + uint8_t(request[6]) == firstRecord);
        if (!wrong)
            return std::nullopt;
        wronglyAnsweredAt = download.platform.clock.now();
        return wrongFrame;
    };
    QVERIFY(download.start());
    QVERIFY(download.runToEnd());

    Form1 &form = download.form;
    const int64_t endedAfter = download.platform.clock.now() - wronglyAnsweredAt;
    QVERIFY2(endedAfter >= 2500 && endedAfter < 2510, qPrintable(QString::number(endedAfter)));
    QCOMPARE(form.Lab_rtsta->text(), QStringLiteral("Unconnected"));
    verifyCommandsRestored(form);
    QVERIFY(!form.engine.Timer_read->Enabled());
    QCOMPARE(int(form.engine.state.LinkStatus), int(LinkTimedOut));
    QCOMPARE(download.meter.recordRequests().size(), size_t(rowsKept / 3 + (requestType == 1 ? 1 : 0)));
    if (rowsKept > 0)
        QCOMPARE(download.recordNumber(rowsKept - 1), QStringLiteral("NO.%1").arg(rowsKept));
    QVERIFY(download.platform.messages.empty());

    // Polling goes on, and the next Read brings every record.
    download.meter.wrongAnswer = nullptr;
    download.form.Button_read_Click();
    QVERIFY(download.runToEnd());
    QCOMPARE(download.recordNumber(6), QStringLiteral("NO.7"));
    verifyCommandsRestored(form);
}

void DownloadTest::unaskedCountStartsNothing_data() {
    QTest::addColumn<QByteArray>("count");
    QTest::newRow("0 records") << QByteArray::fromHex("B15A000502005D");
    QTest::newRow("5 records, 8-byte form") << QByteArray::fromHex("B15A00060205005B");
}

// A count frame nobody asked for, as long as a realtime answer, in the Realtime view: no box,
// no download, the records in the grid stay.
void DownloadTest::unaskedCountStartsNothing() {
    QFETCH(QByteArray, count);
    Download download(3, false);
    QVERIFY(download.start());
    QVERIFY(download.runToEnd());
    download.clickTab(1);
    download.meter.scriptedAnswers = {count + QByteArray(38 - count.size(), '\0')};

    QVERIFY(download.advanceToNextRequest());
    download.platform.clock.advance(10);
    Form1 &form = download.form;
    QVERIFY(download.platform.messages.empty());
    QVERIFY(form.engine.Timer_timeout->Enabled());
    QVERIFY(form.Progress_read->isHidden());
    QVERIFY(form.TabStrip1->isEnabled());
    QCOMPARE(download.meter.recordRequests().size(), size_t(1));
    QCOMPARE(form.DataGrid->Rows(), 2 * 3);
    QCOMPARE(download.recordNumber(2), QStringLiteral("NO.3"));
    // The next poll's answer is taken.
    QVERIFY(download.advanceToNextRequest());
    download.platform.clock.advance(10);
    QVERIFY(!form.engine.Timer_timeout->Enabled());
    QCOMPARE(int(form.engine.state.LinkStatus), int(LinkVerified));
}

void DownloadTest::unreadableCountIsNoAnswer_data() {
    QTest::addColumn<int>("earlierRecords"); // downloaded by a Read before; 0: none
    QTest::addColumn<QByteArray>("count");

    // Count frames of three bytes: the meter holds 7, and then 2.
    QTest::newRow("first Read, 7 records") << 0 << QByteArray::fromHex("B15A00070207000000");
    QTest::newRow("after a download of 7, 2 records") << 7 << QByteArray::fromHex("B15A00070202000000");
}

// A count answer of a length that carries no count is no answer: the time-out ends the
// download, with no message and no record asked for, and the next Read brings the records.
void DownloadTest::unreadableCountIsNoAnswer() {
    QFETCH(int, earlierRecords);
    QFETCH(QByteArray, count);
    QByteArray frame = count;
    frame.back() = char(frameChecksum(reinterpret_cast<const uint8_t *>(frame.constData()), 8));
    Download download(7, false);
    QVERIFY(download.start());
    if (earlierRecords > 0) {
        QVERIFY(download.runToEnd());
        download.meter.recordCount = 2;
        download.form.Button_read_Click();
    }
    const size_t recordRequestsBefore = download.meter.recordRequests().size();
    int64_t countAskedAt = -1;
    download.meter.wrongAnswer = [&](const QByteArray &request) -> std::optional<QByteArray> {
        if (request[4] != char(2))
            return std::nullopt;
        countAskedAt = download.platform.clock.now();
        return frame;
    };
    QVERIFY(download.runToEnd());

    Form1 &form = download.form;
    QVERIFY(download.platform.messages.empty());
    QCOMPARE(download.meter.recordRequests().size(), recordRequestsBefore);
    QCOMPARE(download.platform.clock.now() - countAskedAt, int64_t(2500));
    QCOMPARE(form.Lab_rtsta->text(), QStringLiteral("Unconnected"));
    QCOMPARE(form.DataGrid->Rows(), 2 * std::max(earlierRecords, 1));
    verifyCommandsRestored(form);

    download.meter.wrongAnswer = nullptr;
    form.Button_read_Click();
    QVERIFY(download.runToEnd());
    const int held = download.meter.recordCount;
    QCOMPARE(download.recordNumber(held - 1), QStringLiteral("NO.%1").arg(held));
    QCOMPARE(download.meter.recordRequests().back().first + download.meter.recordRequests().back().second,
             held);
    QVERIFY(download.platform.messages.empty());
}

void DownloadTest::framesAheadOfEveryAnswer_data() {
    QTest::addColumn<QByteArray>("ahead");

    const QByteArray notice = ScriptedMeter::frame(0xF1, QByteArray::fromHex("0102"));
    QByteArray badChecksum = notice;
    badChecksum.back() = char(badChecksum.back() ^ 0x5A);
    QTest::newRow("the meter's notice") << notice;
    QTest::newRow("a frame nobody asked for") << ScriptedMeter::frame(3, QByteArray::fromHex("2A"));
    QTest::newRow("a frame with a bad checksum") << badChecksum;
}

// The meter puts a frame ahead of the count and of every block, in the same burst: the
// download still brings every record.
void DownloadTest::framesAheadOfEveryAnswer() {
    QFETCH(QByteArray, ahead);
    Download download(7, true);
    ScriptedMeter &meter = download.meter;
    meter.wrongAnswer = [&meter, ahead](const QByteArray &request) -> std::optional<QByteArray> {
        if (request[4] != char(1) && request[4] != char(2))
            return std::nullopt;
        return ahead + meter.answerTo(request);
    };
    QVERIFY(download.start());
    QVERIFY(download.runToEnd());

    for (int record = 0; record < 7; ++record) {
        QCOMPARE(download.recordNumber(record), QStringLiteral("NO.%1").arg(record + 1));
        QCOMPARE(download.recordValue(record), storedTime(record));
    }
    verifyCommandsRestored(download.form);
    QVERIFY(download.platform.messages.empty());
    QCOMPARE(download.form.Lab_rtsta->text(), QStringLiteral("Connected"));
}

// Read in the Record view after the meter answered the link check and before the tick that
// ends discovery: every request goes to the meter's port and the download runs to its end,
// with no poll from the found tick in between.
void DownloadTest::readBeforeFoundTick() {
    Download download(30, true, true);
    Form1 &form = download.form;
    ScriptedMeter second(download.platform, 2); // the port probed next: must hear nothing
    download.serial.openOutcome[2] = CommNoError;
    while (!form.engine.state.MeterFound)
        download.platform.clock.advance(1);
    QVERIFY(form.engine.Timer_findcom->Enabled());
    download.clickTab(2);
    QVERIFY(form.Button_read->isEnabled());

    const size_t heardBeforeRead = download.meter.heard.size();
    form.Button_read_Click();
    QVERIFY(download.runToEnd());
    QVERIFY(!form.engine.Timer_findcom->Enabled());
    QVERIFY(second.heard.empty());
    QCOMPARE(download.recordNumber(29), QStringLiteral("NO.30"));
    QString typesHeard;
    for (size_t index = heardBeforeRead; index < download.meter.heard.size(); ++index)
        typesHeard += QString::number(int(download.meter.heard[index].request[4]));
    QCOMPARE(typesHeard, QStringLiteral("2") + QString(10, QLatin1Char('1')));
    verifyCommandsRestored(form);
    QCOMPARE(form.Lab_rtsta->text(), QStringLiteral("Connected"));
}

QTEST_MAIN(DownloadTest)
#include "tst_link_download.moc"
