// Ports this user may not open: the advice in their tooltip, the facts it rests on, and the one
// notice when a whole round of discovery found no meter and was refused somewhere.
#include "LinkFixture.h"

#include "link/PortAccess.h"
#include "link/TimerControl.h"

#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int RoundMs = 16 * 600;

QList<QMessageBox *> notices(Form1 &form) {
    return form.findChildren<QMessageBox *>(QStringLiteral("RefusedPortsNotice"));
}

} // namespace

class PortAccessTest : public QObject {
    Q_OBJECT
private slots:
    void advice_data();
    void advice();
    void deviceFacts();
    void refusedPortShowsUnviableWithItsReason();
    void noticeAfterARound_data();
    void noticeAfterARound();
};

void PortAccessTest::advice_data() {
    QTest::addColumn<QString>("group");
    QTest::addColumn<bool>("groupMayOpen");
    QTest::addColumn<bool>("userListed");
    QTest::addColumn<QString>("advice");

    const QString join = QStringLiteral("The device belongs to the group %1: add your user to it "
                                        "(sudo usermod -aG %1 $USER), then log out and in again.");
    const QString ownerOnly = QStringLiteral("Only its owner may open it; ask the administrator for access.");
    QTest::newRow("dialout") << "dialout" << true << false << join.arg("dialout");
    QTest::newRow("uucp") << "uucp" << true << false << join.arg("uucp");
    QTest::newRow("added, not logged in again")
        << "dialout" << true << true
        << "You were added to the group dialout after you logged in: log out and in again.";
    QTest::newRow("group may not open") << "dialout" << false << false << ownerOnly;
    QTest::newRow("root's group") << "root" << true << false << ownerOnly;
    QTest::newRow("group unknown") << "" << true << false << ownerOnly;
}

void PortAccessTest::advice() {
    QFETCH(QString, group);
    QFETCH(bool, groupMayOpen);
    QFETCH(bool, userListed);
    QFETCH(QString, advice);
    QCOMPARE(permissionAdvice({group, groupMayOpen, userListed}), advice);
}

void PortAccessTest::deviceFacts() {
#ifndef Q_OS_UNIX
    QSKIP("device files carry no group here");
#else
    QTemporaryDir folder;
    const QString device = folder.filePath(QStringLiteral("ttyUSB0"));
    QFile file(device);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    struct stat status {};
    QCOMPARE(stat(device.toLocal8Bit().constData(), &status), 0);
    const QString fileGroup = QString::fromLocal8Bit(getgrgid(status.st_gid)->gr_name);

    chmod(device.toLocal8Bit().constData(), 0660);
    DeviceAccess access = deviceAccess(device);
    QCOMPARE(access.group, fileGroup);
    QVERIFY(access.groupMayOpen);
    QVERIFY(!refusedForPermission(device));

    chmod(device.toLocal8Bit().constData(), 0640);
    QVERIFY(!deviceAccess(device).groupMayOpen);

    // The superuser opens anything; everyone else is refused a file without rights.
    chmod(device.toLocal8Bit().constData(), 0000);
    QCOMPARE(refusedForPermission(device), geteuid() != 0);

    // A missing device is not a refusal.
    QVERIFY(!refusedForPermission(folder.filePath(QStringLiteral("ttyUSB9"))));
    QCOMPARE(deviceAccess(folder.filePath(QStringLiteral("ttyUSB9"))).group, QString());
#endif
}

void PortAccessTest::refusedPortShowsUnviableWithItsReason() {
    LinkFixture link(1);
    link.serial.openOutcome[4] = CommAccessDenied;
    link.form.engine.ComOpen(4);
    QCOMPARE(link.form.LabComsta->text(), QStringLiteral("COM4Unviable"));
    QCOMPARE(link.form.LabComsta->toolTip(), link.serial.errorText());
    QVERIFY(!link.serial.PortOpen());
}

void PortAccessTest::noticeAfterARound_data() {
    QTest::addColumn<QList<int>>("refused");
    QTest::addColumn<QList<int>>("busy");
    QTest::addColumn<int>("meterPort"); // 0: no meter anywhere
    QTest::addColumn<QString>("notice");

    const QString noMeter = QStringLiteral("No meter answered on COM1 to COM16, and this user may not open "
                                           "some of them. ");
    QTest::newRow("one refused port")
        << QList<int>{3} << QList<int>{} << 0 << noMeter + "COM3: fake error 8006";
    QTest::newRow("two refused ports")
        << QList<int>{16, 2} << QList<int>{} << 0 << noMeter + "COM2: fake error 8006 COM16: fake error 8006";
    QTest::newRow("refused and busy ports")
        << QList<int>{5} << QList<int>{6} << 0 << noMeter + "COM5: fake error 8006";
    QTest::newRow("busy ports only") << QList<int>{} << QList<int>{3, 4} << 0 << QString();
    QTest::newRow("nothing refused") << QList<int>{} << QList<int>{} << 0 << QString();
    QTest::newRow("meter found after a refused port") << QList<int>{3} << QList<int>{} << 5 << QString();
    // The meter's answer to the last probe of the round comes before the tick that would tell.
    QTest::newRow("meter on port 16") << QList<int>{3} << QList<int>{} << 16 << QString();
}

void PortAccessTest::noticeAfterARound() {
    QFETCH(QList<int>, refused);
    QFETCH(QList<int>, busy);
    QFETCH(int, meterPort);
    QFETCH(QString, notice);
    LinkFixture link(meterPort == 0 ? 1 : meterPort);
    if (meterPort == 0)
        link.serial.openOutcome.clear();
    for (int port : refused)
        link.serial.openOutcome[port] = CommAccessDenied;
    for (int port : busy)
        link.serial.openOutcome[port] = CommPortAlreadyOpen;

    // Nothing is told before the round is over.
    link.platform.clock.advance(RoundMs);
    QVERIFY(notices(link.form).isEmpty());

    if (!notice.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(notice));
    link.platform.clock.advance(600);
    if (notice.isEmpty()) {
        QVERIFY(notices(link.form).isEmpty());
        return;
    }
    QCOMPARE(notices(link.form).size(), 1);
    QMessageBox *shown = notices(link.form).constFirst();
    QCOMPARE(shown->text(), notice);
    QVERIFY(shown->isVisible());
    // Not modal: the window takes clicks and the search goes on.
    QCOMPARE(shown->windowModality(), Qt::NonModal);
    QVERIFY(link.form.engine.Timer_findcom->Enabled());
    QCOMPARE(int(link.form.engine.state.ComNum), 2);

    // Once per run: later rounds are not told again, whether or not the first notice is still up.
    link.platform.clock.advance(2 * RoundMs);
    QCOMPARE(notices(link.form).size(), 1);
    shown->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    link.platform.clock.advance(RoundMs);
    QVERIFY(notices(link.form).isEmpty());
}

QTEST_MAIN(PortAccessTest)
#include "tst_link_portaccess.moc"
