// Times saving, exporting and printing a table of 200 records (400 grid rows): the goal is at most
// 100 ms each. Run by hand (not a test): bench_output [runs]
#include "app/Form1.h"
#include "measure/GridControl.h"
#include "output/QtPrinterControl.h"
#include "output/TextLayouts.h"
#include "output/ViewContent.h"
#include "support/FakePlatform.h"
#include "support/ScriptedDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

void fillRecords(GridControl &grid, int records) {
    grid.setRows(2 * records);
    grid.setCols(5);
    for (int record = 0; record < records; ++record) {
        const int row = 2 * record;
        grid.setTextMatrix(row, 0, QStringLiteral("NO.%1").arg(record + 1));
        const char *const items[] = {"U1", "I1", "P1", "PF1"};
        const char *const values[] = {"230.1V", "1.20A", "276.1W", "0.98"};
        for (int column = 1; column <= 4; ++column) {
            grid.setTextMatrix(row, column, QLatin1String(items[column - 1]));
            grid.setTextMatrix(row + 1, column, QLatin1String(values[column - 1]));
        }
    }
}

void report(const char *what, int runs, const std::function<void(int run)> &once) {
    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        once(run);
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-34s median %7.2f ms   max %7.2f ms   (%d runs)\n", what, ms[ms.size() / 2], ms.back(),
                runs);
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    FakePlatform platform;
    Form1 form(platform);
    fillRecords(*form.DataGrid, 200);
    auto save = [&](bool realtime, int filterIndex, const QString &name) {
        return [&, realtime, filterIndex, name](int run) {
            form.state.RealtimeView = realtime;
            platform.dialog->FilterIndex = filterIndex;
            platform.dialog->script = {DialogAnswer::confirm(home.filePath(name.arg(run)), filterIndex)};
            form.Button_save_Click();
        };
    };

    report("record table as text", runs, save(false, 1, QStringLiteral("records%1.txt")));
    report("record table as workbook", runs, save(false, 2, QStringLiteral("records%1.xls")));
    report("realtime readings as text", runs, save(true, 2, QStringLiteral("readings%1.txt")));
    report("realtime window as JPEG picture", runs, save(true, 1, QStringLiteral("window%1.jpg")));
    report("record printout into PDF", runs, [&](int run) {
        auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(home.filePath(QStringLiteral("records%1.pdf").arg(run)));
        QtPrinterControl control(printer);
        const TabStopWriter document = recordTable(gridCells(*form.DataGrid), TextLayout::Printout);
        for (const TextLine &line : document.lines())
            control.PrintLine(line);
        control.EndDoc();
    });
    if (!platform.messages.empty())
        std::printf("unexpected message: %s\n", qPrintable(platform.messages.front().text));
    return platform.messages.empty() ? 0 : 1;
}
