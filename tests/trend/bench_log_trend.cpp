// Times appending one realtime answer to the reading log and redrawing the trend over 24 hours
// of readings, and measures the memory those readings take. Goals: append at most 0.2 ms,
// redraw at most 16 ms, 24 hours of readings at most 30 MB. Run by hand (not a test):
// bench_log_trend [runs]
#include "app/Form1.h"
#include "support/FakePlatform.h"
#include "support/ScriptedDialog.h"
#include "trend/ChartLines.h"
#include "trend/ReadingHistory.h"
#include "trend/TrendWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

// P1, Q1, S1 and PF1 as the meter sends them.
const QByteArray Payload = QByteArray::fromHex("0B 07 20 32 37 36 2E 31  0F 09 20 20 35 31 2E 32"
                                               "13 0C 30 2E 32 38 31 20  17 13 20 30 2E 39 38 20");

void report(const char *what, int runs, const std::function<void()> &once) {
    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        once();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-58s median %8.3f ms   90%% %8.3f ms   max %8.3f ms   (%d runs)\n", what, ms[ms.size() / 2],
                ms[ms.size() * 9 / 10], ms.back(), runs);
}

long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// A day of polling: an answer every 1.5 s, four readings each, the link lost for a minute every
// two hours.
void fillDay(ReadingHistory &history) {
    const QDateTime end = QDateTime::currentDateTime();
    const int answers = 24 * 3600 * 2 / 3;
    for (int answer = 0; answer < answers; ++answer) {
        const QDateTime time = end.addMSecs(qint64(answer - answers) * 1500);
        if (answer % 4800 == 4760)
            history.markLinkLost(time);
        if (answer % 4800 >= 4760)
            continue;
        const double wave = (answer % 400) / 4.0;
        history.addAnswer(time, {{"P1", QString::number(200 + wave, 'f', 1), "W"},
                                 {"Q1", QString::number(50 + wave / 2, 'f', 1), "var"},
                                 {"S1", QString::number(0.25 + wave / 1000, 'f', 3), "KVA"},
                                 {"PF1", QString::number(0.9 + wave / 1000, 'f', 3), " "}});
    }
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 200;
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));

    {
        FakePlatform platform;
        Form1 form(platform);
        platform.dialog->script = {DialogAnswer::confirm(home.filePath(QStringLiteral("log.csv")), 1)};
        form.menulog_Click();
        QByteArray payload = Payload;
        const LinkState &link = form.engine.state;
        report("log: one answer (decode, history, 4 CSV rows, append)", runs * 10, [&] {
            form.KeepReadings(
                shownReadings(reinterpret_cast<uint8_t *>(payload.data()), link.ItemName, link.UnitName));
        });
    }

    const long before = residentKiB();
    auto history = std::make_unique<ReadingHistory>();
    fillDay(*history);
    const long after = residentKiB();
    std::printf("24 h of readings: %zu answers kept, %zu bytes each; resident memory %+.1f MB\n",
                history->answers().size(), sizeof(ReadingHistory::Answer), double(after - before) / 1024);

    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    report("thinning alone: 24 h into 400 columns per item", runs / 4,
           [&history, now] { chartLines(*history, now - 24 * 3600 * 1000, now, 400); });

    TrendWindow window(*history, nullptr);
    window.show();
    QApplication::processEvents();
    const char *const spans[] = {"last 5 minutes", "last hour", "whole session"};
    for (int span = 0; span < 3; ++span) {
        window.TrendSpan->setCurrentIndex(span);
        const std::string what = std::string("trend redraw, 24 h held, ") + spans[span];
        report(what.c_str(), runs / 4, [&window] { window.redraw(); });
        const std::string painted = what + ", painted";
        report(painted.c_str(), runs / 4, [&window] {
            window.redraw();
            window.TrendCharts->grab();
        });
    }
    std::printf("resident memory with the trend window drawn: %+.1f MB over the start\n",
                double(residentKiB() - before) / 1024);
    return 0;
}
