// Saves the system refuses part way: each save type, over an existing file and into a new one,
// on a file size limit (always) and on a real full file system (where the test may mount one).
// A refused save says why in the system's words, keeps an existing file byte for byte and
// leaves no new file behind.
#include "app/Form1.h"
#include "support/FailingDisk.h"
#include "support/FakePlatform.h"
#include "support/GridFill.h"
#include "support/ScriptedDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

namespace {

QString fullFileSystem;
QString whyNoFullFileSystem;

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList entries(const QString &folder) {
    return QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden, QDir::Name);
}

} // namespace

class TestFailingWrites : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void refusedSaveKeepsFiles_data();
    void refusedSaveKeepsFiles();
    void emptyFileNameIsNamedInTheMessage();

private:
    QTemporaryDir home;
};

void TestFailingWrites::initTestCase() {
    QVERIFY(home.isValid());
    qputenv("HOME", QFile::encodeName(home.path()));
}

void TestFailingWrites::refusedSaveKeepsFiles_data() {
    QTest::addColumn<QString>("disk"); // "size limit" or "full"
    QTest::addColumn<bool>("realtimeView");
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<bool>("existing");

    const struct {
        const char *name;
        bool realtimeView;
        int filterIndex;
    } saves[] = {{"realtime picture", true, 1},
                 {"realtime text", true, 2},
                 {"record text", false, 1},
                 {"workbook", false, 2}};
    for (const char *disk : {"size limit", "full"})
        for (const auto &save : saves)
            for (bool existing : {true, false})
                QTest::addRow("%s, %s, %s", disk, save.name, existing ? "over an existing file" : "new file")
                    << QString::fromLatin1(disk) << save.realtimeView << save.filterIndex << existing;
}

void TestFailingWrites::refusedSaveKeepsFiles() {
    QFETCH(QString, disk);
    QFETCH(bool, realtimeView);
    QFETCH(int, filterIndex);
    QFETCH(bool, existing);
    const bool full = disk == QLatin1String("full");
    if (full && fullFileSystem.isEmpty())
        QSKIP(qPrintable(QStringLiteral("no full file system: ") + whyNoFullFileSystem));
    QTemporaryDir scratch;
    const QString folder = full ? fullFileSystem : scratch.path();
    for (const QString &name : entries(folder))
        QFile::remove(QDir(folder).filePath(name));

    FakePlatform platform;
    Form1 form(platform);
    form.state.RealtimeView = realtimeView;
    // Enough records that the record text outgrows what a nearly full disk still takes.
    CellRows rows;
    for (int record = 1; record <= 200; ++record) {
        rows.push_back({QStringLiteral("NO.%1").arg(record), "U1", "I1", "P1", "PF1"});
        rows.push_back({"", " 230.1V", "  1.20A", " 276.1W", "0.98"});
    }
    setGrid(form, rows);
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QGuiApplication::clipboard()->setImage(picture);
    platform.dialog->FilterIndex = 2; // no snapshot: the clipboard's picture is the one saved
    const QString path = QDir(folder).filePath(QStringLiteral("saved"));
    const QByteArray old("old contents\r\n");
    if (existing) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(old), old.size());
    }
    if (full)
        fillFileSystem(folder);
    const QStringList before = entries(folder);
    platform.dialog->script = {DialogAnswer::confirm(path, filterIndex)};

    {
        // A few bytes get through, so a short write comes first and the refusal after it.
        std::unique_ptr<FileSizeLimit> limit;
        if (!full)
            limit = std::make_unique<FileSizeLimit>(10);
        form.Button_save_Click();
    }

    QCOMPARE(platform.messages.size(), size_t(1));
    const QString opening = QStringLiteral("Cannot save %1\r\n").arg(path);
    const QString &text = platform.messages[0].text;
    QVERIFY2(text.startsWith(opening), qPrintable(text));
    const QString expectedReason = QString::fromLocal8Bit(strerror(full ? ENOSPC : EFBIG));
    QVERIFY2(text.mid(opening.size()).contains(expectedReason), qPrintable(text));
    QCOMPARE(entries(folder), before);
    if (existing)
        QCOMPARE(readAll(path), old);
}

void TestFailingWrites::emptyFileNameIsNamedInTheMessage() {
    FakePlatform platform;
    Form1 form(platform);
    form.state.RealtimeView = true;
    platform.dialog->FilterIndex = 2;
    platform.dialog->script = {DialogAnswer::confirm(QString(), 2)};

    form.Button_save_Click();

    QCOMPARE(platform.messages.size(), size_t(1));
    QCOMPARE(platform.messages[0].text,
             QStringLiteral("Cannot save (no file name)\r\nNo file name was given."));
}

int main(int argc, char **argv) {
    // Mounting needs a process that has no threads yet.
    fullFileSystem = mountTinyFileSystem(whyNoFullFileSystem);
    QApplication app(argc, argv);
    TestFailingWrites test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_failingwrites.moc"
