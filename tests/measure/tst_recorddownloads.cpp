// Downloads as the record table and the status bar show them, against a scripted meter: the table
// holds exactly the records of the last download, and a meter holding more records than requests
// can address says how many it holds and how many were read.
#include "app/Form1.h"
#include "app/TabStrip.h"
#include "link/TimerControl.h"
#include "measure/GridControl.h"
#include "support/FakePlatform.h"
#include "support/ScriptedDialog.h"
#include "support/ScriptedMeter.h"

#include <QApplication>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The window with the meter on port 1, found, in the Record view.
struct RecordView {
    RecordView() : meter(platform, 1) {
        platform.serial->openOutcome[1] = CommNoError;
        for (int tick = 0; tick < 40 && form.engine.Timer_findcom->Enabled(); ++tick)
            platform.clock.advance(600);
        form.TabStrip1->setSelectedIndex(2);
        form.TabStrip1_Click();
    }
    // Read with the meter holding `records`, run until the download has ended.
    bool read(int records) {
        meter.recordCount = records;
        form.Button_read_Click();
        for (int step = 0; step < 5000 && form.TabStrip1->isEnabled(); ++step)
            platform.clock.advance(10);
        for (int step = 0; step < 5000 && !form.TabStrip1->isEnabled(); ++step)
            platform.clock.advance(10);
        return form.TabStrip1->isEnabled() && form.engine.meterFound();
    }

    FakePlatform platform;
    Form1 form{platform};
    ScriptedMeter meter;
};

// The record numbers in the table, from its name rows.
QStringList recordNumbers(const GridControl &grid) {
    QStringList numbers;
    for (int row = 0; row < grid.Rows(); row += 2)
        numbers << grid.TextMatrix(row, 0);
    return numbers;
}

} // namespace

class TestRecordDownloads : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void tableHoldsTheLastDownload_data();
    void tableHoldsTheLastDownload();
    void moreRecordsThanCanBeRead();

private:
    QTemporaryDir home;
};

void TestRecordDownloads::initTestCase() {
    QVERIFY(home.isValid());
    qputenv("HOME", QFile::encodeName(home.path()));
}

void TestRecordDownloads::tableHoldsTheLastDownload_data() {
    QTest::addColumn<QList<int>>("downloads"); // records the meter holds at each Read
    QTest::newRow("one record after seven") << QList<int>{7, 1};
    QTest::newRow("two records after seven") << QList<int>{7, 2};
    QTest::newRow("seven records after one") << QList<int>{1, 7};
}

void TestRecordDownloads::tableHoldsTheLastDownload() {
    QFETCH(QList<int>, downloads);
    RecordView view;
    for (const int records : downloads)
        QVERIFY(view.read(records));
    const int last = downloads.constLast();
    QStringList expected;
    for (int number = 1; number <= last; ++number)
        expected << QStringLiteral("NO.%1").arg(number);
    QCOMPARE(recordNumbers(*view.form.DataGrid), expected);

    // Save writes the meter's records and nothing left from before.
    const QString path = home.filePath(QStringLiteral("records.txt"));
    view.platform.dialog->script = {DialogAnswer::confirm(path, 1)};
    view.form.Button_save_Click();
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray text = saved.readAll();
    QCOMPARE(text.count("NO."), qsizetype(last));
    QVERIFY(!text.contains(QByteArray("NO.") + QByteArray::number(last + 1)));
    QVERIFY(view.form.StatusBar1Records->isHidden());
}

void TestRecordDownloads::moreRecordsThanCanBeRead() {
    RecordView view;
    QVERIFY(view.read(258));
    QCOMPARE(view.form.DataGrid->Rows(), 2 * 201);
    QVERIFY(!view.form.StatusBar1Records->isHidden());
    QCOMPARE(view.form.StatusBar1Records->text(),
             QStringLiteral("The meter holds 258 records; the first 201 were read."));
    QVERIFY(view.platform.messages.empty()); // no box to close

    // A meter holding what a download can read needs no word.
    QVERIFY(view.read(201));
    QVERIFY(view.form.StatusBar1Records->isHidden());
    QVERIFY(view.read(65535));
    QCOMPARE(view.form.StatusBar1Records->text(),
             QStringLiteral("The meter holds 65535 records; the first 201 were read."));
    // Clear empties the table, and what it said of the table goes with it.
    view.form.Button_clear_Click();
    QVERIFY(view.form.StatusBar1Records->isHidden());
}

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    TestRecordDownloads test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recorddownloads.moc"
