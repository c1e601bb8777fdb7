// The Save command in both views, through the scripted dialog: the files byte for byte, the
// default folder and name, the dialog's type carried from one save to the next, the window
// snapshot, and failing saves that say so and leave existing files alone.
#include "app/Form1.h"
#include "support/FakePlatform.h"
#include "support/GridFill.h"
#include "support/ScriptedDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QDir>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString realtimeFilter = QStringLiteral("jpg格式 (*.jpg)|*.jpg|txt格式 (*.txt)|*.txt|");
const QString recordFilter = QStringLiteral("txt格式 (*.txt)|*.txt|excel格式 (*.xls)|*.xls|");

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void setCaptions(Form1 &form, const QStringList &items, const QStringList &values) {
    for (size_t row = 0; row < 4; ++row) {
        form.Lab_testpro[row]->setText(items[int(row)]);
        form.Lab_value[row]->setText(values[int(row)]);
    }
}

// The default file name on today's date, as the en_US short date spells it.
QString todaysDefaultName() {
    const QDate today = QDate::currentDate();
    return QStringLiteral("Quorilex%1-%2-%3")
        .arg(today.month())
        .arg(today.day())
        .arg(today.year() % 100, 2, 10, QLatin1Char('0'));
}

void showView(Form1 &form, const QString &view) {
    form.state.RealtimeView = view == QLatin1String("realtime");
}

} // namespace

class TestSaving : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void realtimeText_data();
    void realtimeText();
    void recordText();
    void chosenTypeDecidesFormat_data();
    void chosenTypeDecidesFormat();
    void cancelLeavesFolderAndSnapshot();
    void typeCarriesOverBetweenSaves_data();
    void typeCarriesOverBetweenSaves();
    void pictureIsWhateverTheClipboardHolds();
    void failingSaveSaysSoAndKeepsOldFile_data();
    void failingSaveSaysSoAndKeepsOldFile();
    void folderThatCannotBeCreated();

private:
    QTemporaryDir home;
    QString files; // a fresh folder for each test's files
    std::unique_ptr<QTemporaryDir> filesDir;
};

void TestSaving::initTestCase() {
    QVERIFY(home.isValid());
    qputenv("HOME", QFile::encodeName(home.path()));
}

void TestSaving::init() {
    QDir(home.filePath(QStringLiteral("Quorilex"))).removeRecursively();
    QFile::remove(home.filePath(QStringLiteral("Quorilex")));
    QGuiApplication::clipboard()->clear();
    filesDir = std::make_unique<QTemporaryDir>();
    files = filesDir->path();
    // A save under a bare name lands among the test's files, where the checks look.
    QDir::setCurrent(files);
}

void TestSaving::realtimeText_data() {
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("before any reading")
        << QStringList{"P1:", "Q1:", "S1:", "PF1:"} << QStringList(4, QStringLiteral("0.00mA"))
        << QByteArray("     P1:     0.00mA\r\n     Q1:     0.00mA\r\n"
                      "     S1:     0.00mA\r\n     PF1:     0.00mA\r\n");
    QTest::newRow("U1 row, empty row, unit sign in UTF-8")
        << QStringList{"U1:   ", "     ", "R:    ", "TIME: "}
        << QStringList{" 230.1V", "     ", "1.5kΩ", "12:34mins"}
        << QByteArray("     U1:         230.1V\r\n                    \r\n"
                      "     R:         1.5k\xCE\xA9\r\n     TIME:      12:34mins\r\n");
}

void TestSaving::realtimeText() {
    QFETCH(QStringList, items);
    QFETCH(QStringList, values);
    QFETCH(QByteArray, expected);
    FakePlatform platform;
    Form1 form(platform);
    showView(form, QStringLiteral("realtime"));
    setCaptions(form, items, values);
    const QString path = files + QStringLiteral("/readings.txt");
    platform.dialog->script = {DialogAnswer::confirm(path, 2)};

    form.Button_save_Click();

    QCOMPARE(readAll(path), expected);
    QCOMPARE(platform.messages.size(), size_t(0));
}

void TestSaving::recordText() {
    FakePlatform platform;
    Form1 form(platform);
    showView(form, QStringLiteral("record"));
    setGrid(form, {{"NO.1", "U1", "I1", "P1", "Q1"}, {"", "230.1V", "1.20A", "276W", "5var"}});
    const QString path = files + QStringLiteral("/records.txt");
    platform.dialog->script = {DialogAnswer::confirm(path, 1)};

    form.menusave_Click();

    const QByteArray blanks18(18, ' ');
    QCOMPARE(readAll(path), "NO.1" + QByteArray(15, ' ') + "U1" + blanks18 + "I1" + blanks18 + "P1\r\n" +
                                blanks18 + "230.1V" + QByteArray(14, ' ') + "1.20A" + QByteArray(15, ' ') +
                                "276W");
    QCOMPARE(platform.dialog->shown.at(0).Filter, recordFilter);
}

void TestSaving::chosenTypeDecidesFormat_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("typedName");
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<QByteArray>("expectedStart");
    // The dialog opens on the first type; a realtime save takes the snapshot for it even when the
    // user then switches to text.
    QTest::addColumn<bool>("snapshot");

    QTest::newRow("picture type, .txt name: JPEG") << "realtime"
                                                   << "shot.txt" << 1 << QByteArray("\xFF\xD8\xFF") << true;
    QTest::newRow("text type, .jpg name: text")
        << "realtime"
        << "shot.jpg" << 2 << QByteArray("     P1:     0.00mA") << true;
    QTest::newRow("text type, .xls name: text table") << "record"
                                                      << "table.xls" << 1 << QByteArray("NO.    ") << false;
    QTest::newRow("workbook type, .txt name: workbook")
        << "record"
        << "table.txt" << 2 << QByteArray("PK\x03\x04") << false;
}

void TestSaving::chosenTypeDecidesFormat() {
    QFETCH(QString, view);
    QFETCH(QString, typedName);
    QFETCH(int, filterIndex);
    QFETCH(QByteArray, expectedStart);
    QFETCH(bool, snapshot);
    FakePlatform platform;
    Form1 form(platform);
    showView(form, view);
    setGrid(form, {{"NO."}, {}});
    const QString path = files + QLatin1Char('/') + typedName;
    platform.dialog->script = {DialogAnswer::confirm(path, filterIndex)};
    QVERIFY(QGuiApplication::clipboard()->image().isNull());

    form.Button_save_Click();

    QVERIFY2(readAll(path).startsWith(expectedStart), readAll(path).left(20).toHex().constData());
    QCOMPARE(platform.messages.size(), size_t(0));
    QCOMPARE(QGuiApplication::clipboard()->image().size(), snapshot ? form.grab().size() : QSize(0, 0));
}

void TestSaving::cancelLeavesFolderAndSnapshot() {
    FakePlatform platform;
    Form1 form(platform);
    showView(form, QStringLiteral("realtime"));
    const QString folder = home.filePath(QStringLiteral("Quorilex"));
    QVERIFY(!QFileInfo::exists(folder));

    form.Button_save_Click();

    QCOMPARE(platform.dialog->shown.size(), size_t(1));
    const DialogShown &shown = platform.dialog->shown[0];
    QCOMPARE(shown.FileName, todaysDefaultName());
    QCOMPARE(shown.Filter, realtimeFilter);
    QCOMPARE(shown.DefaultExt, QStringLiteral(".jpg"));
    QCOMPARE(shown.InitDir, folder);
    QVERIFY(shown.CancelError);
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    QCOMPARE(QGuiApplication::clipboard()->image().size(), form.grab().size());
    QCOMPARE(platform.messages.size(), size_t(0));
    QCOMPARE(platform.beeps, 0);
}

void TestSaving::typeCarriesOverBetweenSaves_data() {
    QTest::addColumn<QStringList>("earlier"); // "view:filter index", "print", or "view:cancel"
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("defaultExt");
    QTest::addColumn<bool>("snapshot");
    QTest::addColumn<int>("flags");

    QTest::newRow("first save") << QStringList() << "realtime"
                                << ".jpg" << true << 0;
    QTest::newRow("first record save: text type, no snapshot") << QStringList() << "record"
                                                               << ".txt" << false << 0;
    QTest::newRow("after a realtime text save") << QStringList{"realtime:2"} << "realtime"
                                                << ".txt" << false << 0;
    QTest::newRow("after a workbook save") << QStringList{"record:2"} << "realtime"
                                           << ".txt" << false << 0;
    QTest::newRow("after a record text save") << QStringList{"realtime:2", "record:1"} << "realtime"
                                              << ".jpg" << true << 0;
    QTest::newRow("record save after a realtime text save") << QStringList{"realtime:2"} << "record"
                                                            << ".xls" << false << 0;
    QTest::newRow("a cancelled save keeps the type")
        << QStringList{"realtime:2", "realtime:cancel"} << "realtime"
        << ".txt" << false << 0;
    QTest::newRow("a printout keeps the type and leaves its flags")
        << QStringList{"record:2", "print"} << "realtime"
        << ".txt" << false << 264;
}

void TestSaving::typeCarriesOverBetweenSaves() {
    QFETCH(QStringList, earlier);
    QFETCH(QString, view);
    QFETCH(QString, defaultExt);
    QFETCH(bool, snapshot);
    QFETCH(int, flags);
    FakePlatform platform;
    Form1 form(platform);
    setGrid(form, {{"NO."}, {}});
    for (const QString &step : earlier) {
        if (step == QLatin1String("print")) {
            platform.dialog->script = {DialogAnswer::cancel()};
            form.Button_print_Click();
            continue;
        }
        const QStringList parts = step.split(QLatin1Char(':'));
        showView(form, parts[0]);
        platform.dialog->script = {
            parts[1] == QLatin1String("cancel")
                ? DialogAnswer::cancel()
                : DialogAnswer::confirm(files + QStringLiteral("/earlier"), parts[1].toInt())};
        form.Button_save_Click();
    }
    QGuiApplication::clipboard()->clear();
    showView(form, view);

    form.Button_save_Click();

    const DialogShown &shown = platform.dialog->shown.back();
    QCOMPARE(shown.kind, QStringLiteral("save"));
    QCOMPARE(shown.DefaultExt, defaultExt);
    QCOMPARE(shown.Flags, flags);
    QCOMPARE(!QGuiApplication::clipboard()->image().isNull(), snapshot);
}

void TestSaving::pictureIsWhateverTheClipboardHolds() {
    FakePlatform platform;
    Form1 form(platform);
    showView(form, QStringLiteral("realtime"));
    platform.dialog->script = {DialogAnswer::confirm(files + QStringLiteral("/first.txt"), 2)};
    form.Button_save_Click();
    QImage older(7, 5, QImage::Format_RGB32);
    older.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(older);
    const QString path = files + QStringLiteral("/picture.jpg");
    platform.dialog->script = {DialogAnswer::confirm(path, 1)};

    form.Button_save_Click();

    const QImage saved(path, "JPG");
    QCOMPARE(saved.size(), older.size());
    QVERIFY(qRed(saved.pixel(3, 2)) > 200);
}

void TestSaving::failingSaveSaysSoAndKeepsOldFile_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<QString>("place"); // "missing folder", "long name" for a name the save's temporary
                                        // file cannot get, over an existing file, or "dialog fails"
    QTest::addColumn<bool>("clipboardEmpty");
    QTest::addColumn<QString>("reason"); // empty: the system's reason, whatever it says

    QTest::newRow("text into a missing folder") << "realtime" << 2 << "missing folder" << false << "";
    QTest::newRow("picture into a missing folder") << "realtime" << 1 << "missing folder" << false << "";
    QTest::newRow("record text into a missing folder") << "record" << 1 << "missing folder" << false << "";
    QTest::newRow("workbook into a missing folder") << "record" << 2 << "missing folder" << false << "";
    QTest::newRow("text over an existing file") << "realtime" << 2 << "long name" << false << "";
    QTest::newRow("record text over an existing file") << "record" << 1 << "long name" << false << "";
    QTest::newRow("workbook over an existing file") << "record" << 2 << "long name" << false << "";
    QTest::newRow("no picture on the clipboard")
        << "realtime" << 1 << "long name" << true << "The clipboard holds no picture.";
    // Not a cancel: going on would save under the name the dialog held, the bare default name.
    QTest::newRow("the realtime dialog fails")
        << "realtime" << 2 << "dialog fails" << false << "Dialog failure.";
    QTest::newRow("the record dialog fails") << "record" << 1 << "dialog fails" << false << "Dialog failure.";
}

void TestSaving::failingSaveSaysSoAndKeepsOldFile() {
    QFETCH(QString, view);
    QFETCH(int, filterIndex);
    QFETCH(QString, place);
    QFETCH(bool, clipboardEmpty);
    QFETCH(QString, reason);
    FakePlatform platform;
    Form1 form(platform);
    showView(form, view);
    setGrid(form, {{"NO."}, {}});
    // Leave the type on text, so a realtime save takes no snapshot and the clipboard stays as set.
    platform.dialog->FilterIndex = 2;
    if (!clipboardEmpty)
        QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
    const bool dialogFails = place == QLatin1String("dialog fails");
    const QString path = dialogFails ? todaysDefaultName()
                         : place == QLatin1String("missing folder")
                             ? files + QStringLiteral("/missing/saved")
                             : files + QLatin1Char('/') + QString(250, QLatin1Char('n'));
    const QByteArray old("old contents\r\n");
    if (place == QLatin1String("long name"))
        writeFile(path, old);
    const QStringList before = QDir(files).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    platform.dialog->script = {dialogFails ? DialogAnswer::fail(reason)
                                           : DialogAnswer::confirm(path, filterIndex)};

    form.Button_save_Click();

    QCOMPARE(platform.messages.size(), size_t(1));
    const MessageBoxRequest &message = platform.messages[0];
    QCOMPARE(message.title, QStringLiteral("Saving Error!"));
    QCOMPARE(message.icon, QMessageBox::Warning);
    const QString opening = QStringLiteral("Cannot save %1\r\n").arg(path);
    QVERIFY2(message.text.startsWith(opening) && message.text.size() > opening.size(),
             qPrintable(message.text));
    if (!reason.isEmpty())
        QCOMPARE(message.text.mid(opening.size()), reason);
    QCOMPARE(platform.beeps, 1);
    QCOMPARE(QDir(files).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), before);
    QCOMPARE(
        QDir(home.filePath(QStringLiteral("Quorilex"))).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
        QStringList());
    if (place == QLatin1String("long name"))
        QCOMPARE(readAll(path), old);
}

void TestSaving::folderThatCannotBeCreated() {
    FakePlatform platform;
    Form1 form(platform);
    showView(form, QStringLiteral("record"));
    const QString folder = home.filePath(QStringLiteral("Quorilex"));
    writeFile(folder, "a file where the folder should be");
    const QString path = files + QStringLiteral("/elsewhere.txt");
    platform.dialog->script = {DialogAnswer::confirm(path, 1)};

    form.Button_save_Click();

    QCOMPARE(platform.messages.size(), size_t(1));
    const MessageBoxRequest &message = platform.messages[0];
    const QString opening =
        QStringLiteral("The folder %1 cannot be created; choose another folder.\r\n").arg(folder);
    QVERIFY2(message.text.startsWith(opening) && message.text.size() > opening.size(),
             qPrintable(message.text));
    QCOMPARE(message.title, QStringLiteral("Saving Error!"));
    QCOMPARE(message.icon, QMessageBox::Warning);
    QCOMPARE(platform.beeps, 1);
    QVERIFY2(QFileInfo::exists(path), "the dialog still opens, and a file chosen elsewhere is saved");
}

int main(int argc, char **argv) {
    // The default file name follows the system's short date; pin it to one the test can spell.
    qputenv("LC_ALL", "en_US.UTF-8");
    QApplication app(argc, argv);
    TestSaving test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_saving.moc"
