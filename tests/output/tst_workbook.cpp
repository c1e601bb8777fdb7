// The record workbook read back from its XML: every grid cell in its worksheet cell, as text,
// centred, empty cells included.
#include "output/Workbook.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

QByteArray unzipped(const QString &workbook, const QString &member) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), workbook, member});
    unzip.waitForFinished();
    return unzip.readAllStandardOutput();
}

// The shared string table, in index order.
QStringList sharedStrings(const QByteArray &xml) {
    QStringList strings;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement && reader.name() == QLatin1String("t"))
            strings << reader.readElementText();
    return strings;
}

// Whether each cell format centres its cells, in index order.
std::vector<bool> centredFormats(const QByteArray &xml) {
    std::vector<bool> centred;
    QXmlStreamReader reader(xml);
    bool inCellFormats = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("cellXfs"))
            inCellFormats = true;
        else if (reader.isEndElement() && reader.name() == QLatin1String("cellXfs"))
            inCellFormats = false;
        else if (inCellFormats && reader.isStartElement() && reader.name() == QLatin1String("xf"))
            centred.push_back(false);
        else if (inCellFormats && reader.isStartElement() && reader.name() == QLatin1String("alignment"))
            centred.back() =
                reader.attributes().value(QLatin1String("horizontal")) == QLatin1String("center");
    }
    return centred;
}

// Every cell of the first worksheet as "A1=text", marked " (not centred)" where it is not.
QStringList worksheetCells(const QString &workbook) {
    const QStringList strings = sharedStrings(unzipped(workbook, QStringLiteral("xl/sharedStrings.xml")));
    const std::vector<bool> centred = centredFormats(unzipped(workbook, QStringLiteral("xl/styles.xml")));
    QStringList cells;
    QXmlStreamReader reader(unzipped(workbook, QStringLiteral("xl/worksheets/sheet1.xml")));
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement() || reader.name() != QLatin1String("c"))
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        const QString reference = attributes.value(QLatin1String("r")).toString();
        const size_t format = attributes.value(QLatin1String("s")).toUInt();
        const bool shared = attributes.value(QLatin1String("t")) == QLatin1String("s");
        QString text;
        while (reader.readNextStartElement())
            if (reader.name() == QLatin1String("v"))
                text = shared ? strings.value(reader.readElementText().toInt()) : QStringLiteral("not text");
            else
                reader.skipCurrentElement();
        const bool isCentred = format < centred.size() && centred[format];
        cells << reference + QLatin1Char('=') + text +
                     (isCentred ? QString() : QStringLiteral(" (not centred)"));
    }
    return cells;
}

} // namespace

class TestWorkbook : public QObject {
    Q_OBJECT
private slots:
    void cellsInPlace_data();
    void cellsInPlace();
};

void TestWorkbook::cellsInPlace_data() {
    QTest::addColumn<CellRows>("rows");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("before any download")
        << CellRows{{"NO.", "", "", "", ""}, {"", "", "", "", ""}}
        << QStringList{"A1=NO.", "B1=", "C1=", "D1=", "E1=", "A2=", "B2=", "C2=", "D2=", "E2="};
    QTest::newRow("two records, column 4 included, numbers kept as text")
        << CellRows{{"NO.1", "U1", "I1", "P1", "Q1"},
                    {"", "230.1V", "1.20A", "276W", "5var"},
                    {"NO.2", "PF", "TIME", "R", "F"},
                    {"", "0.98", "01:00hmin", "1.5kΩ", "50.0Hz"}}
        << QStringList{"A1=NO.1",  "B1=U1",   "C1=I1",   "D1=P1",        "E1=Q1",    "A2=",      "B2=230.1V",
                       "C2=1.20A", "D2=276W", "E2=5var", "A3=NO.2",      "B3=PF",    "C3=TIME",  "D3=R",
                       "E3=F",     "A4=",     "B4=0.98", "C4=01:00hmin", "D4=1.5kΩ", "E4=50.0Hz"};
}

void TestWorkbook::cellsInPlace() {
    QFETCH(CellRows, rows);
    QFETCH(QStringList, expected);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("records.xls"));

    QCOMPARE(saveWorkbook(path, rows), QString());

    QCOMPARE(worksheetCells(path), expected);
}

QTEST_APPLESS_MAIN(TestWorkbook)
#include "tst_workbook.moc"
