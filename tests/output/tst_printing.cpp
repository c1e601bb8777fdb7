// The Print command through the scripted dialog and the recording print object, and the Qt print
// object read back from a PDF: the lines, the columns, the pages, and the failures that say so.
#include "app/Form1.h"
#include "output/QtPrinterControl.h"
#include "output/TextLayouts.h"
#include "support/FakePlatform.h"
#include "support/GridFill.h"
#include "support/RecordingPrinter.h"
#include "support/ScriptedDialog.h"

#include <QApplication>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString blanks(int count) {
    return QString(count, QLatin1Char(' '));
}

// What the Print command of the Realtime view prints before any reading.
const QStringList realtimePrintoutBeforeAnyReading = {"CurrentY 500",
                                                      "line " + blanks(5),
                                                      "line      P1:     0.00mA",
                                                      "line      Q1:     0.00mA",
                                                      "line      S1:     0.00mA",
                                                      "line      PF1:     0.00mA",
                                                      "line " + blanks(11),
                                                      "EndDoc"};

// Prints the lines on the Qt print object into a PDF; returns the print object's failure.
QString printToPdf(const TabStopWriter &document, float currentY, const QString &pdf) {
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(pdf);
    QtPrinterControl control(printer);
    if (currentY > 0)
        control.setCurrentY(currentY);
    for (const TextLine &line : document.lines())
        control.PrintLine(line);
    return control.EndDoc();
}

// The PDF's text as pdftotext lays it out (-layout: pages separated by form feeds; -bbox: words
// with their boxes in points).
QString pdfText(const QString &pdf, const QString &mode) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {mode, pdf, QStringLiteral("-")});
    pdftotext.waitForFinished();
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

struct WordBox {
    double left = -1, top = -1, right = -1;
};

// The box of the first word `word` in pdftotext's -bbox output, in points.
WordBox wordBox(const QString &boxes, const QString &word) {
    const QRegularExpression box(
        QStringLiteral("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\"[^>]*>%1</word>")
            .arg(QRegularExpression::escape(word)));
    const QRegularExpressionMatch match = box.match(boxes);
    if (!match.hasMatch())
        return {};
    return {match.captured(1).toDouble(), match.captured(2).toDouble(), match.captured(3).toDouble()};
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
private slots:
    void printout_data();
    void printout();
    void cancelPrintsNothing();
    void failures_data();
    void failures();
    void pdfLinesAndColumns();
    void pdfLongTableContinuesOnNewPages();
    void pdfPrinterThatCannotStart();
};

void TestPrinting::printout_data() {
    QTest::addColumn<bool>("realtime");
    QTest::addColumn<CellRows>("rows");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("realtime before any reading") << true << CellRows() << realtimePrintoutBeforeAnyReading;
    QTest::newRow("record table before any download")
        << false << CellRows{{"NO."}, {}}
        << QStringList{"line NO." + blanks(56), "line " + blanks(61), "EndDoc"};
    QTest::newRow("record: value rows at the same columns, column 4 left out")
        << false << CellRows{{"NO.1", "U1", "I1", "P1", "Q1"}, {"", "230.1V", "1.20A", "276W", "5var"}}
        << QStringList{"line NO.1" + blanks(15) + "U1" + blanks(18) + "I1" + blanks(18) + "P1",
                       "line " + blanks(19) + "230.1V" + blanks(14) + "1.20A" + blanks(15) + "276W  ",
                       "EndDoc"};
    QTest::newRow("record: a cell reaching the next column pushes it to a new line")
        << false << CellRows{{"NO.1", QString(21, 'w'), "I1", "P1"}}
        << QStringList{"line NO.1" + blanks(15) + QString(21, 'w'),
                       "line " + blanks(39) + "I1" + blanks(18) + "P1  ", "EndDoc"};
}

void TestPrinting::printout() {
    QFETCH(bool, realtime);
    QFETCH(CellRows, rows);
    QFETCH(QStringList, expected);
    FakePlatform platform;
    Form1 form(platform);
    form.state.RealtimeView = realtime;
    setGrid(form, rows);
    platform.dialog->script = {DialogAnswer::confirm()};

    form.menuprint_Click();

    QCOMPARE(platform.printer->log, expected);
    QCOMPARE(platform.dialog->shown.size(), size_t(1));
    QCOMPARE(platform.dialog->shown[0].kind, QStringLiteral("printer"));
    QCOMPARE(platform.dialog->shown[0].Flags, 264);
    QVERIFY(platform.dialog->shown[0].CancelError);
    QCOMPARE(platform.messages.size(), size_t(0));
}

void TestPrinting::cancelPrintsNothing() {
    FakePlatform platform;
    Form1 form(platform);
    platform.dialog->script = {DialogAnswer::cancel()};

    form.Button_print_Click();

    QCOMPARE(platform.printer->log, QStringList());
    QCOMPARE(platform.messages.size(), size_t(0));
    QCOMPARE(platform.beeps, 0);
}

void TestPrinting::failures_data() {
    QTest::addColumn<bool>("dialogFails");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QStringList>("printed");

    QTest::newRow("the dialog fails") << true << "No printer is installed." << QStringList();
    QTest::newRow("the printer refuses the document")
        << false << "The printer did not accept the document." << realtimePrintoutBeforeAnyReading;
}

void TestPrinting::failures() {
    QFETCH(bool, dialogFails);
    QFETCH(QString, reason);
    QFETCH(QStringList, printed);
    FakePlatform platform;
    Form1 form(platform);
    form.state.RealtimeView = true;
    platform.dialog->script = {dialogFails ? DialogAnswer::fail(reason) : DialogAnswer::confirm()};
    if (!dialogFails)
        platform.printer->refusal = reason;

    form.Button_print_Click();

    QCOMPARE(platform.printer->log, printed);
    QCOMPARE(platform.beeps, 1);
    QCOMPARE(platform.messages.size(), size_t(1));
    QCOMPARE(platform.messages[0].text, QStringLiteral("文件打印出错.\r\n") + reason);
    QCOMPARE(platform.messages[0].title, QStringLiteral("Printing Error!"));
    QCOMPARE(platform.messages[0].icon, QMessageBox::Warning);
}

void TestPrinting::pdfLinesAndColumns() {
    QTemporaryDir folder;
    const QString realtimePdf = folder.filePath(QStringLiteral("realtime.pdf"));
    const QStringList readings =
        readingLines({"P1:", "Q1:", "S1:", "PF1:"}, QStringList(4, QStringLiteral("0.00mA")));
    QCOMPARE(printToPdf(realtimeReadings(readings, TextLayout::Printout), 500, realtimePdf), QString());
    const QString realtime = pdfText(realtimePdf, QStringLiteral("-layout"));
    for (const QString item : {"P1:", "Q1:", "S1:", "PF1:"})
        QVERIFY2(realtime.contains(QRegularExpression(item + QStringLiteral(" +0\\.00mA\n"))),
                 qPrintable(realtime));

    const QString recordsPdf = folder.filePath(QStringLiteral("records.pdf"));
    const CellRows rows = {{"NO.1", "U1", "I1", "P1", "Q1"}, {"", "230.1V", "1.20A", "276W", "5var"}};
    QCOMPARE(printToPdf(recordTable(rows, TextLayout::Printout), 0, recordsPdf), QString());
    const QString recordBoxes = pdfText(recordsPdf, QStringLiteral("-bbox"));
    const WordBox first = wordBox(recordBoxes, QStringLiteral("NO.1"));
    const double characterWidth = (first.right - first.left) / 4;
    QVERIFY(characterWidth > 1);
    // Character column of each word, counted from 1 at the left of the first cell.
    auto column = [&](const QString &word) {
        return qRound((wordBox(recordBoxes, word).left - first.left) / characterWidth) + 1;
    };
    QCOMPARE(column(QStringLiteral("U1")), 20);
    QCOMPARE(column(QStringLiteral("I1")), 40);
    QCOMPARE(column(QStringLiteral("P1")), 60);
    QCOMPARE(column(QStringLiteral("230.1V")), 20);
    QCOMPARE(column(QStringLiteral("1.20A")), 40);
    QCOMPARE(column(QStringLiteral("276W")), 60);
    QVERIFY(!recordBoxes.contains(QStringLiteral(">Q1<")));

    // The realtime printout starts 500 twips (25 pt) lower, then leaves its blank first line.
    const QString realtimeBoxes = pdfText(realtimePdf, QStringLiteral("-bbox"));
    const double lineHeight = wordBox(realtimeBoxes, "Q1:").top - wordBox(realtimeBoxes, "P1:").top;
    const double offset = wordBox(realtimeBoxes, "P1:").top - lineHeight - first.top;
    QVERIFY2(lineHeight > 5 && qAbs(offset - 25) < 0.5,
             qPrintable(QStringLiteral("%1 %2").arg(lineHeight).arg(offset)));
}

void TestPrinting::pdfLongTableContinuesOnNewPages() {
    CellRows rows;
    for (int record = 1; record <= 150; ++record) {
        rows.push_back({QStringLiteral("NO.%1").arg(record), "U1", "I1", "P1"});
        rows.push_back({"", QStringLiteral("%1.0V").arg(record), "1.20A", "276W"});
    }
    QTemporaryDir folder;

    const QString pdf = folder.filePath(QStringLiteral("long.pdf"));

    QCOMPARE(printToPdf(recordTable(rows, TextLayout::Printout), 0, pdf), QString());

    const QString text = pdfText(pdf, QStringLiteral("-layout"));

    QVERIFY2(text.count(QLatin1Char('\f')) >= 3, qPrintable(text.left(200)));
    for (int record = 1; record <= 150; ++record) {
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral("NO\\.%1 +U1").arg(record))),
                 qPrintable(QString::number(record)));
        QVERIFY2(text.contains(QRegularExpression(QStringLiteral(" %1\\.0V +1\\.20A").arg(record))),
                 qPrintable(QString::number(record)));
    }
}

void TestPrinting::pdfPrinterThatCannotStart() {
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("missing/out.pdf"));
    TabStopWriter document;
    document.print(QStringLiteral("text"));
    document.endLine();

    QCOMPARE(printToPdf(document, 0, pdf), QStringLiteral("%1 did not accept the document.").arg(pdf));
    QVERIFY(!QFileInfo::exists(pdf));
}

QTEST_MAIN(TestPrinting)
#include "tst_printing.moc"
