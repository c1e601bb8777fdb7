// Times the meter link of the real window with Qt's serial port and timers:
//   download --runs N    the record download against the wire time of its frames (simulator on
//                        POWERCLAMP_COM1, started paced with the 8-byte count by run-link-bench.sh);
//   realtime --samples N the delay from the last byte of a realtime answer to the captions changing
//                        (an in-process paced meter, which notes when it wrote that byte);
//   ports --lookups N    a warm look-up of a port number in the session's port table, and a read
//                        of the system's port list.
#include "PacedMeter.h"

#include "app/Form1.h"
#include "app/QtPlatform.h"
#include "app/TabStrip.h"
#include "link/PortNames.h"
#include "link/SerialControl.h"
#include "link/TimerControl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QSerialPortInfo>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr double ByteTimeMs = 10.0 * 1000.0 / 9600.0;

// Keeps every port the window could probe besides COM1 away from real devices.
PortDevices otherPortsNowhere() {
    PortDevices devices;
    for (int port = 2; port <= 16; ++port)
        devices[port] = QStringLiteral("/nonexistent/powerclamp-linkbench");
    return devices;
}

// Runs the event loop until `done` holds or `timeoutMs` passes; false on time-out. The condition is
// looked at every 20 ms, so the loop sleeps like the program's own; figures are stamped where they happen.
bool runUntil(const std::function<bool()> &done, int timeoutMs) {
    QEventLoop loop;
    QTimer check;
    bool timedOut = false;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    if (done())
        return true;
    check.start(20);
    loop.exec();
    return !timedOut || done();
}

bool waitForConnection(Form1 &window) {
    const bool connected = runUntil(
        [&] { return window.engine.state.MeterFound && window.engine.Timer_real->Enabled(); }, 15000);
    if (!connected)
        std::fprintf(stderr, "linkbench: the meter was not found on COM1\n");
    return connected;
}

double percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const std::size_t index =
        std::min(values.size() - 1, std::size_t(fraction * double(values.size() - 1) + 0.5));
    return values[index];
}

double median(const std::vector<double> &values) {
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2.0;
}

// Notes when the delivery of each timer event and of each socket-notifier event (the port's receive
// notification) starts, before any handler runs.
class EventClock final : public QObject {
public:
    int64_t lastTimerEventNs = 0;
    int64_t lastSocketEventNs = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Timer)
            lastTimerEventNs = monotonicNs();
        else if (event->type() == QEvent::SockAct)
            lastSocketEventNs = monotonicNs();
        return false;
    }
};

// Bytes on the line, both directions, for a download of `records` records with the count in its
// 8-byte form.
int downloadWireBytes(int records) {
    int total = 6 + 8;
    for (int first = 0; first < records; first += 3)
        total += 10 + 6 + 32 * std::min(3, records - first);
    return total;
}

int download(Form1 &window, int runs, int expectedRecords) {
    auto *clock = new EventClock;
    qApp->installEventFilter(clock);
    if (!waitForConnection(window))
        return 1;

    // The Record view, as a user would click it.
    window.TabStrip1->setSelectedIndex(2);
    window.TabStrip1_Click();

    int64_t requestTimerEvent = 0, requestSent = 0, finished = 0;
    bool running = false, timedOut = false;
    // Connected after the window's own handlers, so these run right after them.
    QObject::connect(window.engine.Timer_read.get(), &TimerControl::Timer, [&] {
        if (running && requestSent == 0 && !window.engine.Timer_read->Enabled()) {
            requestTimerEvent = clock->lastTimerEventNs; // the count request is written in this handler
            requestSent = monotonicNs();
        }
    });
    // Every receive notification during a download is a complete answer: the window asks for one only
    // once the whole answer is buffered. Its handler writes the next request before it returns.
    std::vector<double> turnarounds;
    QObject::connect(window.engine.MSComm1.get(), &SerialControl::OnComm, [&] {
        if (!running || requestSent == 0 || finished != 0)
            return;
        const int64_t now = monotonicNs();
        if (window.Progress_read->isHidden() && window.engine.Timer_real->Enabled())
            finished = now;
        else
            turnarounds.push_back(double(now - clock->lastSocketEventNs) / 1e6);
    });
    QObject::connect(window.engine.Timer_timeout.get(), &TimerControl::Timer, [&] { timedOut = running; });

    const int wireBytes = downloadWireBytes(expectedRecords);
    const double wireMs = wireBytes * ByteTimeMs;
    std::printf("download: %d records, %d bytes on the line, wire time %.1f ms\n", expectedRecords, wireBytes,
                wireMs);
    std::vector<double> totals, ratios;
    for (int run = 1; run <= runs; ++run) {
        runUntil([] { return false; }, 1000); // a few polls in between, as after a user's pause
        requestTimerEvent = requestSent = finished = 0;
        timedOut = false;
        running = true;
        if (!window.Button_read->isEnabled()) {
            std::fprintf(stderr, "linkbench: Read is disabled\n");
            return 1;
        }
        window.Button_read->click();
        const bool ended = runUntil([&] { return finished != 0 || timedOut; }, 60000);
        running = false;
        if (!ended || timedOut || window.engine.state.RecordTotal != expectedRecords ||
            window.Progress_read->value() != expectedRecords) {
            std::fprintf(stderr,
                         "linkbench: run %d failed (ended %d, time-out %d, records %d, progress %d)\n", run,
                         ended, timedOut, window.engine.state.RecordTotal, window.Progress_read->value());
            return 1;
        }
        const double totalMs = double(finished - requestTimerEvent) / 1e6;
        const double writeMs = double(requestSent - requestTimerEvent) / 1e6;
        totals.push_back(totalMs);
        ratios.push_back(totalMs / wireMs);
        std::printf("run %d: %.1f ms (count request handler took %.2f ms), ratio to wire time %.4f, "
                    "overhead %.1f ms\n",
                    run, totalMs, writeMs, totalMs / wireMs, totalMs - wireMs);
    }
    std::printf("download: answer received -> next request written, in the window's handler: median %.3f ms, "
                "90%% %.3f ms, max %.3f ms over %zu exchanges\n",
                median(turnarounds), percentile(turnarounds, 0.9),
                *std::max_element(turnarounds.begin(), turnarounds.end()), turnarounds.size());
    std::printf("download summary: time median %.1f ms max %.1f ms; wire %.1f ms; ratio median %.4f max %.4f "
                "(goal <= 1.02)\n",
                median(totals), *std::max_element(totals.begin(), totals.end()), wireMs, median(ratios),
                *std::max_element(ratios.begin(), ratios.end()));
    return 0;
}

// Notes the first paint of a label after its caption changed.
class PaintClock final : public QObject {
public:
    int64_t paintedNs = 0;
    bool armed = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        if (armed && event->type() == QEvent::Paint) {
            paintedNs = monotonicNs();
            armed = false;
        }
        return false;
    }
};

int realtime(QApplication &, int samples) {
    PacedMeter meter(std::size_t(samples) + 64);
    if (!meter.isValid()) {
        std::fprintf(stderr, "linkbench: no pseudo-terminal\n");
        return 1;
    }
    PortDevices devices = otherPortsNowhere();
    devices[1] = QString::fromStdString(meter.portPath());
    const std::unique_ptr<PortNumbering> numbering = portNumberingForThisRun(devices);
    QtPlatform platform(*numbering);
    Form1 window(platform);
    window.show();
    if (!waitForConnection(window))
        return 1;

    auto *clock = new EventClock;
    qApp->installEventFilter(clock);
    std::vector<double> wakeups;
    auto *paint = new PaintClock;
    window.Lab_value[0]->installEventFilter(paint);
    QString shown = window.Lab_value[0]->text();
    std::vector<double> handled, painted;
    std::size_t changes = 0;
    int64_t changedAt = 0;
    std::size_t pendingPaint = 0;
    // Runs right after the window's receive handler: the captions are set when it returns.
    QObject::connect(window.engine.MSComm1.get(), &SerialControl::OnComm, [&] {
        const int64_t now = monotonicNs();
        if (window.Lab_value[0]->text() == shown)
            return;
        shown = window.Lab_value[0]->text();
        ++changes;
        // The meter thread stamps its last write a few microseconds after write() returns; wait for it.
        QElapsedTimer wait;
        wait.start();
        while (meter.realtimeAnswers() < changes && wait.elapsed() < 100) {
        }
        if (meter.realtimeAnswers() < changes) {
            std::fprintf(stderr, "linkbench: captions changed without a realtime answer\n");
            return;
        }
        const int64_t lastByte = meter.lastByteWritten(changes - 1);
        handled.push_back(double(now - lastByte) / 1e6);
        wakeups.push_back(double(clock->lastSocketEventNs - lastByte) / 1e6);
        changedAt = lastByte;
        pendingPaint = changes;
        paint->paintedNs = 0;
        paint->armed = true;
    });
    runUntil(
        [&] {
            if (pendingPaint != 0 && paint->paintedNs != 0) {
                painted.push_back(double(paint->paintedNs - changedAt) / 1e6);
                pendingPaint = 0;
            }
            return handled.size() >= std::size_t(samples) && pendingPaint == 0;
        },
        samples * 1500 + 10000);
    if (handled.empty()) {
        std::fprintf(stderr, "linkbench: no realtime answer was shown\n");
        return 1;
    }
    std::printf(
        "realtime: %zu answers; last byte written -> captions set: median %.3f ms, 90%% %.3f ms, max %.3f ms "
        "(goal median <= 2 ms)\n",
        handled.size(), median(handled), percentile(handled, 0.9),
        *std::max_element(handled.begin(), handled.end()));
    std::printf("realtime: of which last byte written -> receive notification delivered: median %.3f ms, "
                "max %.3f ms\n",
                median(wakeups), *std::max_element(wakeups.begin(), wakeups.end()));
    if (!painted.empty())
        std::printf(
            "realtime: last byte written -> value label painted: median %.3f ms, 90%% %.3f ms, max %.3f ms\n",
            median(painted), percentile(painted, 0.9), *std::max_element(painted.begin(), painted.end()));
    return 0;
}

// Port 1 goes through the session's port table; nothing is opened.
int ports(int lookups) {
    QElapsedTimer clock;
    PortNumbering numbering(otherPortsNowhere(), systemSerialPorts, [&clock] { return clock.elapsed(); });
    clock.start();
    const QString first = numbering.device(1);
    const double coldMs = double(clock.nsecsElapsed()) / 1e6;
    std::vector<double> warm;
    for (int lookup = 0; lookup < lookups; ++lookup) {
        clock.restart();
        if (numbering.device(1) != first)
            return 1;
        warm.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::vector<double> reads;
    for (int read = 0; read < 50; ++read) {
        clock.restart();
        QSerialPortInfo::availablePorts();
        reads.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::printf("ports: COM1 is %s; first look-up (reads the list) %.3f ms\n",
                first.isEmpty() ? "(no device)" : qPrintable(first), coldMs);
    std::printf("ports: warm look-up median %.5f ms, max %.5f ms over %d (goal <= 0.05 ms)\n", median(warm),
                *std::max_element(warm.begin(), warm.end()), lookups);
    std::printf("ports: list read median %.3f ms, max %.3f ms over %zu\n", median(reads),
                *std::max_element(reads.begin(), reads.end()), reads.size());
    return 0;
}

int usage() {
    std::fprintf(stderr, "usage: powerclamp-linkbench download [--runs N] [--records N]\n"
                         "       powerclamp-linkbench realtime [--samples N]\n"
                         "       powerclamp-linkbench ports [--lookups N]\n");
    return 2;
}

} // namespace

int main(int argc, char *argv[]) {
    if (argc < 2)
        return usage();
    const std::string mode = argv[1];
    int runs = 5, records = 200, samples = 30, lookups = 10000;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (name == "--runs")
            runs = value;
        else if (name == "--records")
            records = value;
        else if (name == "--samples")
            samples = value;
        else if (name == "--lookups")
            lookups = value;
        else
            return usage();
    }
    if (runs < 1 || records < 1 || samples < 1 || lookups < 1)
        return usage();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QApplication application(argc, argv);
    if (mode == "realtime")
        return realtime(application, samples);
    if (mode == "ports")
        return ports(lookups);
    if (mode != "download")
        return usage();
    // COM1 is the meter the script names in $POWERCLAMP_COM1.
    const std::unique_ptr<PortNumbering> numbering = portNumberingForThisRun(otherPortsNowhere());
    QtPlatform platform(*numbering);
    Form1 window(platform);
    window.show();
    return download(window, runs, records);
}
