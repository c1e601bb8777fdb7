#include "Version.h"

#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QByteArray kLinkCheck = QByteArray::fromHex("A1000106 0555AAFD");
const QByteArray kLinkAnswer = QByteArray::fromHex("B1010006 0555AAFD");
const QByteArray kRealtime = QByteArray::fromHex("A1000104 0603");

QByteArray recordsRequest(int start, int count) {
    QByteArray request = QByteArray::fromHex("A1000108 01");
    request.append(char(start >> 8)).append(char(start)).append(char(count >> 8)).append(char(count));
    char checksum = 0;
    for (int i = 1; i < request.size(); ++i)
        checksum = char(checksum ^ request[i]);
    return request.append(checksum);
}

// A running simulator; stdin stays open so that closing it ends the simulator with the test.
class MeterSim {
public:
    explicit MeterSim(const QStringList &arguments) {
        process.start(METERSIM_PATH, arguments + QStringList{"--exit-on-stdin-eof"});
        while (process.waitForReadyRead(5000) && !process.canReadLine()) {
        }
        path = QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    ~MeterSim() {
        process.closeWriteChannel();
        if (!process.waitForFinished(5000))
            process.kill();
    }
    void signal(int number) { ::kill(pid_t(process.processId()), number); }

    QProcess process;
    QString path;
};

// The program's side of the line, with nothing but POSIX calls.
class RawPort {
public:
    explicit RawPort(const QString &path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY)) {
        termios settings{};
        if (fd_ >= 0 && tcgetattr(fd_, &settings) == 0) {
            cfmakeraw(&settings);
            tcsetattr(fd_, TCSANOW, &settings);
        }
    }
    ~RawPort() { close(); }
    bool isOpen() const { return fd_ >= 0; }
    void close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    bool send(const QByteArray &bytes) {
        return ::write(fd_, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    // Whatever arrives until `expected` bytes are in or `timeoutMs` has passed.
    QByteArray receive(int expected, int timeoutMs) {
        QByteArray received;
        QDeadlineTimer deadline(timeoutMs);
        while (received.size() < expected && !deadline.hasExpired()) {
            pollfd ready{fd_, POLLIN, 0};
            if (::poll(&ready, 1, int(deadline.remainingTime())) <= 0)
                continue;
            char buffer[512];
            const ssize_t count = ::read(fd_, buffer, sizeof buffer);
            if (count > 0)
                received.append(buffer, int(count));
        }
        return received;
    }

private:
    int fd_;
};

} // namespace

class TestMetersimProcess : public QObject {
    Q_OBJECT

private slots:
    void linkCheck();
    void answers_data();
    void answers();
    void requestInPieces();
    void rotatesItems_data();
    void rotatesItems();
    void silenceSwitch();
    void stopsMidDownload();
    void closedPortGetsNothing();
    void informationOptions_data();
    void informationOptions();
    void endsAndRemovesLink_data();
    void endsAndRemovesLink();
};

void TestMetersimProcess::linkCheck() {
    MeterSim sim({});
    QVERIFY2(sim.path.startsWith("/dev/"), qPrintable(sim.path));
    RawPort port(sim.path);
    QVERIFY(port.isOpen());
    QVERIFY(port.send(kLinkCheck));
    QCOMPARE(port.receive(8, 1000).toHex(' '), kLinkAnswer.toHex(' '));
    QCOMPARE(port.receive(1, 100).size(), 0);
}

void TestMetersimProcess::answers_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("noise");
    QTest::addColumn<int>("atLeastMs"); // the whole answer cannot be in sooner

    QTest::newRow("realtime") << QStringList{} << kRealtime << 38 << 0 << 0;
    QTest::newRow("paced at 9600 baud") << QStringList{"--pace"} << kRealtime << 38 << 0 << 44;
    QTest::newRow("behind a USB adapter") << QStringList{"--usb-latency", "16"} << kRealtime << 38 << 0 << 48;
    QTest::newRow("a wrong frame to the count request")
        << QStringList{"--answer-with=2=B15A00060555AAA6"} << QByteArray::fromHex("A100010402 07") << 8 << 0
        << 0;
    QTest::newRow("in three pieces") << QStringList{"--split", "3", "--gap", "100"} << kLinkCheck << 8 << 0
                                     << 200;
    QTest::newRow("late") << QStringList{"--delay", "300"} << kLinkCheck << 8 << 0 << 300;
    QTest::newRow("noise ahead") << QStringList{"--noise", "5"} << kLinkCheck << 13 << 5 << 0;
    QTest::newRow("two records") << QStringList{"--records", "2"} << recordsRequest(0, 3) << 70 << 0 << 0;
    QTest::newRow("long count") << QStringList{"--long-count"} << QByteArray::fromHex("A1000104 0207") << 8
                                << 0 << 0;
}

void TestMetersimProcess::answers() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, request);
    QFETCH(int, length);
    QFETCH(int, noise);
    QFETCH(int, atLeastMs);

    MeterSim sim(arguments);
    RawPort port(sim.path);
    QVERIFY(port.isOpen());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(port.send(request));
    const QByteArray answer = port.receive(length, atLeastMs + 2000);
    const qint64 elapsedMs = clock.elapsed();
    QCOMPARE(answer.size(), length);
    QCOMPARE(port.receive(1, 100).size(), 0);
    QVERIFY2(elapsedMs >= atLeastMs, qPrintable(QString("whole answer after %1 ms").arg(elapsedMs)));
    const QByteArray frame = answer.mid(noise);
    QCOMPARE(uchar(frame[0]), uchar(0xB1));
    const bool wrongAnswer = !arguments.filter("--answer-with").isEmpty();
    QCOMPARE(int(uchar(frame[4])), wrongAnswer ? 5 : int(uchar(request[4])));
    QCOMPARE(int(uchar(frame[3])) + 2, frame.size());
}

void TestMetersimProcess::requestInPieces() {
    MeterSim sim({});
    RawPort port(sim.path);
    QVERIFY(port.send(QByteArray::fromHex("00FF A100")));
    QTest::qWait(30);
    QVERIFY(port.send(kLinkCheck.mid(2, 3)));
    QTest::qWait(30);
    QVERIFY(port.send(kLinkCheck.mid(5)));
    QCOMPARE(port.receive(8, 1000).toHex(' '), kLinkAnswer.toHex(' '));
}

void TestMetersimProcess::rotatesItems_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("firstItems"); // item code of the first block in consecutive realtime answers

    QTest::newRow("every answer") << QStringList{} << "11 12 13 14 4 1 11";
    QTest::newRow("every second answer") << QStringList{"--rotate-every", "2"} << "11 11 12 12 13 13 14";
}

void TestMetersimProcess::rotatesItems() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, firstItems);

    MeterSim sim(arguments);
    QStringList items;
    for (int answer = 0; answer < 7; ++answer) {
        RawPort port(sim.path);
        QVERIFY(port.send(kRealtime));
        const QByteArray frame = port.receive(38, 1000);
        QCOMPARE(frame.size(), 38);
        items << QString::number(uchar(frame[5]));
    }
    QCOMPARE(items.join(' '), firstItems);
}

void TestMetersimProcess::silenceSwitch() {
    MeterSim sim({"--silent"});
    RawPort port(sim.path);
    QVERIFY(port.send(kLinkCheck));
    QCOMPARE(port.receive(8, 300).size(), 0);
    sim.signal(SIGUSR2);
    QVERIFY(port.send(kLinkCheck));
    QCOMPARE(port.receive(8, 1000).toHex(' '), kLinkAnswer.toHex(' '));
    sim.signal(SIGUSR1);
    QVERIFY(port.send(kLinkCheck));
    QCOMPARE(port.receive(8, 300).size(), 0);
}

void TestMetersimProcess::stopsMidDownload() {
    MeterSim sim({"--records", "9", "--stop-after-blocks", "2"});
    RawPort port(sim.path);
    for (int start : {0, 3}) {
        QVERIFY(port.send(recordsRequest(start, 3)));
        QCOMPARE(port.receive(102, 1000).size(), 102);
    }
    QVERIFY(port.send(recordsRequest(6, 3)));
    QCOMPARE(port.receive(102, 300).size(), 0);
    QVERIFY(port.send(kLinkCheck));
    QCOMPARE(port.receive(8, 300).size(), 0);
    sim.signal(SIGUSR2);
    QVERIFY(port.send(recordsRequest(6, 3)));
    QCOMPARE(port.receive(102, 1000).size(), 102);
}

void TestMetersimProcess::closedPortGetsNothing() {
    MeterSim sim({"--delay", "200"});
    {
        // An answer left unread when the port closes.
        RawPort unread(sim.path);
        QVERIFY(unread.send(kLinkCheck));
        QTest::qWait(300);
    }
    QTest::qWait(50);
    {
        // An answer that falls due while the port is closed.
        RawPort early(sim.path);
        QVERIFY(early.send(kLinkCheck));
    }
    QTest::qWait(400);
    {
        // The first half of a request before a close is not completed by bytes after the next open.
        RawPort cut(sim.path);
        QVERIFY(cut.send(kLinkCheck.left(4)));
    }
    QTest::qWait(50);
    RawPort port(sim.path);
    QVERIFY(port.send(kLinkCheck.mid(4)));
    QCOMPARE(port.receive(1, 500).toHex(' '), QByteArray());
    QVERIFY(port.send(kLinkCheck));
    QCOMPARE(port.receive(8, 1000).toHex(' '), kLinkAnswer.toHex(' '));
}

void TestMetersimProcess::endsAndRemovesLink_data() {
    QTest::addColumn<int>("signal"); // 0: close stdin instead

    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("end of stdin") << 0;
}

void TestMetersimProcess::endsAndRemovesLink() {
    QFETCH(int, signal);

    QTemporaryDir folder;
    const QString link = folder.filePath("meter");
    MeterSim sim({"--link", link});
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.path);
    if (signal != 0)
        sim.signal(signal);
    else
        sim.process.closeWriteChannel();
    QVERIFY(sim.process.waitForFinished(3000));
    QCOMPARE(sim.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
}

void TestMetersimProcess::informationOptions_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("outputStart");
    QTest::addColumn<QString>("errorStart");

    QTest::newRow("version") << QStringList{"--version"} << 0
                             << "powerclamp-metersim " POWERCLAMP_VERSION "\n"
                             << "";
    QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: powerclamp-metersim [OPTION]..."
                          << "";
    QTest::newRow("-h") << QStringList{"-h"} << 0 << "Usage: powerclamp-metersim [OPTION]..."
                        << "";
    QTest::newRow("unknown option") << QStringList{"--fast"} << 2 << ""
                                    << "powerclamp-metersim: unknown option --fast (try --help)";
}

void TestMetersimProcess::informationOptions() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, outputStart);
    QFETCH(QString, errorStart);
    QProcess process;
    process.start(METERSIM_PATH, arguments);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), exitCode);
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    const QString error = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(outputStart.isEmpty() ? output.isEmpty() : output.startsWith(outputStart), qPrintable(output));
    QVERIFY2(errorStart.isEmpty() ? error.isEmpty() : error.startsWith(errorStart), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestMetersimProcess)
#include "tst_metersim_process.moc"
