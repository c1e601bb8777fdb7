// The tab-stop writer and the record table built on it: byte for byte what the record text file
// and the record printout hold; and the default file name.
#include "output/SaveLocation.h"
#include "output/TextLayouts.h"

#include <QtTest>

namespace {

QString blanks(int count) {
    return QString(count, QLatin1Char(' '));
}

const QString crlf = QStringLiteral("\r\n");

} // namespace

class TestTextLayouts : public QObject {
    Q_OBJECT
private slots:
    void recordTable_data();
    void recordTable();
    void fileName_data();
    void fileName();
};

void TestTextLayouts::recordTable_data() {
    QTest::addColumn<CellRows>("rows");
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("expected");

    const CellRows fresh = {{"NO.", "", "", "", ""}, {"", "", "", "", ""}};
    QTest::newRow("text file before any download")
        << fresh << int(TextLayout::TextFile) << QStringLiteral("NO.") + blanks(56) + crlf + blanks(58);
    QTest::newRow("printout before any download")
        << fresh << int(TextLayout::Printout)
        << QStringLiteral("NO.") + blanks(56) + crlf + blanks(61) + crlf;

    const CellRows first = {{"NO.1", "U1", "I1", "P1", "Q1"}, {"", "230.1V", "1.20A", "276W", "5var"}};
    QTest::newRow("text file: value row one column left")
        << first << int(TextLayout::TextFile)
        << QStringLiteral("NO.1") + blanks(15) + "U1" + blanks(18) + "I1" + blanks(18) + "P1" + crlf +
               blanks(18) + "230.1V" + blanks(14) + "1.20A" + blanks(15) + "276W";
    QTest::newRow("printout: value row at the same columns")
        << first << int(TextLayout::Printout)
        << QStringLiteral("NO.1") + blanks(15) + "U1" + blanks(18) + "I1" + blanks(18) + "P1" + crlf +
               blanks(19) + "230.1V" + blanks(14) + "1.20A" + blanks(15) + "276W  " + crlf;

    QTest::newRow("odd row shifted by the length of its first cell")
        << CellRows{{"NO.1", "a", "b", "c"}, {"xy", "d", "e", "f"}} << int(TextLayout::TextFile)
        << QStringLiteral("NO.1") + blanks(15) + "a" + blanks(19) + "b" + blanks(19) + "c" + crlf + "xy" +
               blanks(14) + "d" + blanks(19) + "e" + blanks(19) + "f";
    QTest::newRow("odd row whose first cell passes its stops wraps each cell")
        << CellRows{{"", "", "", ""}, {QString(20, 'n'), "d", "e", "f"}} << int(TextLayout::TextFile)
        << blanks(59) + crlf + QString(20, 'n') + crlf + "d" + blanks(17) + "e" + blanks(19) + "f";

    const QString twenty(20, QLatin1Char('w'));
    QTest::newRow("a 20-character cell keeps the next cell on its line")
        << CellRows{{"NO.1", twenty, "I1", ""}} << int(TextLayout::TextFile)
        << QStringLiteral("NO.1") + blanks(15) + twenty + "I1" + blanks(18);
    QTest::newRow("a 21-character cell pushes the next cell to column 40 of a new line")
        << CellRows{{"NO.1", twenty + "w", "I1", ""}} << int(TextLayout::TextFile)
        << QStringLiteral("NO.1") + blanks(15) + twenty + "w" + crlf + blanks(39) + "I1" + blanks(18);
    QTest::newRow("column 4 is never written")
        << CellRows{{"NO.1", "U1", "I1", "P1", "Q1"}} << int(TextLayout::TextFile)
        << QStringLiteral("NO.1") + blanks(15) + "U1" + blanks(18) + "I1" + blanks(18) + "P1";
}

void TestTextLayouts::recordTable() {
    QFETCH(CellRows, rows);
    QFETCH(int, layout);
    QFETCH(QString, expected);
    QCOMPARE(::recordTable(rows, TextLayout(layout)).text(), expected);
}

void TestTextLayouts::fileName_data() {
    QTest::addColumn<QString>("shortDate");
    QTest::addColumn<QString>("expected");
    QTest::newRow("en_US") << "12/9/26"
                           << "Quorilex12-9-26";
    QTest::newRow("de_DE") << "09.12.26"
                           << "Quorilex09.12.26";
    QTest::newRow("C") << "9 Dec 2026"
                       << "Quorilex9 Dec 2026";
    QTest::newRow("every forbidden character") << "a\\b:c*d?e\"f<g>h|i"
                                               << "Quorilexa-b-c-d-e-f-g-h-i";
}

void TestTextLayouts::fileName() {
    QFETCH(QString, shortDate);
    QFETCH(QString, expected);
    QCOMPARE(defaultFileName(shortDate), expected);
}

QTEST_APPLESS_MAIN(TestTextLayouts)
#include "tst_textlayouts.moc"
