// The record grid: its layout at start-up and after Clear, and the records a download writes.
#include "app/Form1.h"
#include "app/Twips.h"
#include "measure/GridControl.h"
#include "support/FakePlatform.h"

#include <QHeaderView>
#include <QTest>

namespace {

constexpr int RecordSize = 32;
constexpr uint8_t Amperes = 1;
constexpr uint8_t Watts = 7;

// Record N of a download: P1 carries N as its value, in the unit given, so records of different
// downloads can be told apart; the other three blocks are fixed.
QByteArray numberedRecord(int number, uint8_t unitCode) {
    QByteArray record;
    record.append(char(11)).append(char(unitCode)).append(QByteArray::number(number).rightJustified(6, ' '));
    record.append(
        QByteArray::fromHex("0F 09 20 20 20 31 2E 35  13 0B 20 20 20 32 2E 35  17 13 20 30 2E 39 38 20"));
    return record;
}

QStringList numberedRecordRows(int number, const QString &unit) {
    return {QStringLiteral("NO.%1").arg(number), "P1",     "Q1",    "S1",   "PF1", "",
            QString::number(number) + unit,      "1.5var", "2.5VA", "0.98 "};
}

void loadRecord(Form1 &form, int index, const QByteArray &record) {
    if (record.size() != RecordSize)
        qFatal("a record has 32 bytes");
    std::copy(record.begin(), record.end(),
              form.engine.state.RxFrame.begin() + PayloadOffset + RecordSize * index);
}

// One record-block answer of a download, as the link hands it over.
void receiveBlock(Form1 &form, int16_t first, int16_t count, uint8_t unitCode) {
    for (int index = 0; index < count; ++index)
        loadRecord(form, index, numberedRecord(first + index + 1, unitCode));
    form.engine.RecordDataHandle(PayloadOffset, first, count);
}

void download(Form1 &form, int total, uint8_t unitCode) {
    for (int first = 0; first < total; first += 3)
        receiveBlock(form, int16_t(first), int16_t(std::min(3, total - first)), unitCode);
}

// The two rows of record N, name row then value row.
QStringList recordRows(const GridControl &grid, int number) {
    QStringList texts;
    for (int row = 2 * (number - 1); row < 2 * number; ++row)
        for (int col = 0; col < grid.Cols(); ++col)
            texts << grid.TextMatrix(row, col);
    return texts;
}

bool everyCellCentred(const GridControl &grid) {
    for (int row = 0; row < grid.Rows(); ++row)
        for (int col = 0; col < grid.Cols(); ++col) {
            const QTableWidgetItem *cell = grid.item(row, col);
            if (!cell || cell->textAlignment() != Qt::AlignCenter)
                return false;
        }
    return true;
}

struct DownloadStep {
    int16_t first;
    int16_t count;
    int rowsAfter;
};

} // namespace

Q_DECLARE_METATYPE(DownloadStep)

class TestRecordGrid : public QObject {
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
    void growth_data();
    void growth();
    void cells_data();
    void cells();
    void longDownloadNumbersEveryRecord();
};

void TestRecordGrid::layout_data() {
    QTest::addColumn<int>("earlierRecords");
    QTest::newRow("start-up") << 0;
    QTest::newRow("Clear after 7 records") << 7;
}

void TestRecordGrid::layout() {
    QFETCH(int, earlierRecords);
    FakePlatform platform;
    Form1 form(platform);
    if (earlierRecords > 0) {
        download(form, earlierRecords, Watts);
        form.Button_clear_Click();
    }
    const GridControl &grid = *form.DataGrid;
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.Cols(), 5);
    QCOMPARE(recordRows(grid, 1), (QStringList{"NO.", "", "", "", "", "", "", "", "", ""}));
    QVERIFY(everyCellCentred(grid));
    for (int col = 0; col < grid.Cols(); ++col)
        QCOMPARE(grid.columnWidth(col), twips(1500));
    for (int row = 0; row < grid.Rows(); ++row)
        QCOMPARE(grid.rowHeight(row), twips(300));
    QCOMPARE(grid.geometry(), QRect(twips(1000), twips(1440), twips(8000), twips(7075)));
}

void TestRecordGrid::growth_data() {
    QTest::addColumn<int>("earlierRecords");
    QTest::addColumn<QList<DownloadStep>>("steps");
    QTest::newRow("7 records on a cleared grid")
        << 0 << QList<DownloadStep>{{0, 3, 6}, {3, 3, 12}, {6, 1, 14}};
    QTest::newRow("1 record on a cleared grid") << 0 << QList<DownloadStep>{{0, 1, 2}};
    QTest::newRow("1 record keeps a longer table") << 7 << QList<DownloadStep>{{0, 1, 14}};
    QTest::newRow("2 records cut a longer table") << 7 << QList<DownloadStep>{{0, 2, 4}};
    QTest::newRow("4 records cut a longer table") << 7 << QList<DownloadStep>{{0, 3, 6}, {3, 1, 8}};
}

void TestRecordGrid::growth() {
    QFETCH(int, earlierRecords);
    QFETCH(QList<DownloadStep>, steps);
    FakePlatform platform;
    Form1 form(platform);
    download(form, earlierRecords, Amperes);
    const GridControl &grid = *form.DataGrid;
    for (const DownloadStep &step : steps) {
        receiveBlock(form, step.first, step.count, Watts);
        QCOMPARE(grid.Rows(), step.rowsAfter);
        const int received = step.first + step.count;
        for (int number = 1; number <= grid.Rows() / 2; ++number)
            QCOMPARE(recordRows(grid, number), numberedRecordRows(number, number <= received ? "W" : "A"));
        // Rows added for a block are emptied cell by cell before they are filled.
        QVERIFY(everyCellCentred(grid));
        // Only the two rows laid out by GridInit are 300 twips high; added rows keep the grid's default.
        for (int row = 0; row < grid.Rows(); ++row)
            QCOMPARE(grid.rowHeight(row), row < 2 ? twips(300) : grid.verticalHeader()->defaultSectionSize());
    }
}

void TestRecordGrid::cells_data() {
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::newRow("time above an hour") << QByteArray("2E 10 00 00 0E 10 00 00") << "TIME"
                                        << "01:00hmin";
    QTest::newRow("spaces trimmed") << QByteArray("04 03 20 32 33 30 2E 31") << "U1"
                                    << "230.1V";
    QTest::newRow("empty block") << QByteArray("20 20 31 32 33 34 35 36") << ""
                                 << "";
    QTest::newRow("power factor before a space unit") << QByteArray("1A 13 20 30 2E 39 38 20") << "PF"
                                                      << "0.98 ";
    QTest::newRow("dot rule") << QByteArray("04 03 31 32 33 2E 34 35") << "U1"
                              << "123 45V";
    QTest::newRow("no dot rule for PF1") << QByteArray("17 12 31 32 33 2E 34 35") << "PF1"
                                         << "123.45OL.";
    QTest::newRow("only spaces") << QByteArray("04 03 20 20 20 20 20 20") << "U1"
                                 << "V";
    QTest::newRow("unknown item and unit") << QByteArray("3A 16 20 31 2E 35 20 20") << "?58"
                                           << "1.5?22";
    QTest::newRow("unit code 0x20 alone") << QByteArray("04 20 20 32 33 30 2E 31") << "U1"
                                          << "230.1?32";
    QTest::newRow("item code 0x20 alone") << QByteArray("20 03 20 32 33 30 2E 31") << "U3I"
                                          << "230.1V";
    QTest::newRow("tab and carriage return at the edges are kept")
        << QByteArray("04 03 20 09 32 33 0D 20") << "U1"
        << "\t23\rV";
    QTest::newRow("codes 255") << QByteArray("FF FF 20 32 33 30 2E 31") << "?255"
                               << "230.1?255";
}

// The block stands third in record 2 of a three-record answer, between fixed neighbours.
void TestRecordGrid::cells() {
    QFETCH(QByteArray, block);
    QFETCH(QString, name);
    QFETCH(QString, value);
    FakePlatform platform;
    Form1 form(platform);
    QByteArray second = numberedRecord(2, Watts);
    second.replace(16, 8, QByteArray::fromHex(block));
    loadRecord(form, 0, numberedRecord(1, Watts));
    loadRecord(form, 1, second);
    loadRecord(form, 2, numberedRecord(3, Watts));
    form.engine.RecordDataHandle(PayloadOffset, 0, 3);
    QStringList expected = numberedRecordRows(2, "W");
    expected[3] = name;
    expected[8] = value;
    QCOMPARE(recordRows(*form.DataGrid, 2), expected);
    QCOMPARE(recordRows(*form.DataGrid, 1), numberedRecordRows(1, "W"));
    QCOMPARE(recordRows(*form.DataGrid, 3), numberedRecordRows(3, "W"));
}

// The link can address 200 records; numbering and rows must not stop or wrap at 128 or 256 rows.
void TestRecordGrid::longDownloadNumbersEveryRecord() {
    FakePlatform platform;
    Form1 form(platform);
    download(form, 200, Watts);
    QCOMPARE(form.DataGrid->Rows(), 400);
    for (int number = 1; number <= 200; ++number)
        QCOMPARE(recordRows(*form.DataGrid, number), numberedRecordRows(number, "W"));
}

QTEST_MAIN(TestRecordGrid)
#include "tst_recordgrid.moc"
