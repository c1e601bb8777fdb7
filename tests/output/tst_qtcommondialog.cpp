// CommonDialog1 on Qt's own dialogs, driven from inside their event loop: the filter text as
// Qt name filters, the type and name given back, cancel as error 32755, and the printer flags.
#include "output/QtCommonDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

const QString realtimeFilter = QStringLiteral("jpg格式 (*.jpg)|*.jpg|txt格式 (*.txt)|*.txt|");

// Runs `act` on the modal dialog of type Dialog once it is open and tells in `opened` whether it
// was there. Whatever dialog is still open afterwards is closed, so a test that goes wrong fails
// instead of waiting on it; the checks belong after the dialog has returned.
template <typename Dialog> void whenOpen(bool &opened, std::function<void(Dialog *)> act) {
    QTimer::singleShot(0, [&opened, act] {
        auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        auto *dialog = qobject_cast<Dialog *>(modal);
        opened = dialog != nullptr;
        if (dialog)
            act(dialog);
        if (modal && modal->isVisible())
            modal->reject();
    });
}

} // namespace

class TestQtCommonDialog : public QObject {
    Q_OBJECT
private slots:
    void saveDialog_data();
    void saveDialog();
    void overwritePrompt_data();
    void overwritePrompt();
    void printerDialog_data();
    void printerDialog();
};

void TestQtCommonDialog::saveDialog_data() {
    QTest::addColumn<int>("filterIndexBefore");
    QTest::addColumn<QString>("openedOn");
    QTest::addColumn<int>("chooseType"); // 0: cancel
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("filterIndexAfter");

    QTest::newRow("never used: opens on the picture type") << 0 << "jpg格式 (*.jpg)" << 1 << 0 << 1;
    QTest::newRow("opens on the text type, picture chosen") << 2 << "txt格式 (*.txt)" << 1 << 0 << 1;
    QTest::newRow("opens on the picture type, text chosen") << 1 << "jpg格式 (*.jpg)" << 2 << 0 << 2;
    QTest::newRow("cancelled: error 32755, type kept") << 2 << "txt格式 (*.txt)" << 0 << cdlCancel << 2;
}

void TestQtCommonDialog::saveDialog() {
    QFETCH(int, filterIndexBefore);
    QFETCH(QString, openedOn);
    QFETCH(int, chooseType);
    QFETCH(int, error);
    QFETCH(int, filterIndexAfter);
    QTemporaryDir folder;
    QtCommonDialog dialog(nullptr, nullptr);
    dialog.FileName = QStringLiteral("Quorilex12-9-26");
    dialog.Filter = realtimeFilter;
    dialog.FilterIndex = filterIndexBefore;
    dialog.DefaultExt = QStringLiteral(".jpg");
    dialog.InitDir = folder.path();
    dialog.CancelError = true;
    const QString typed = folder.filePath(QStringLiteral("typed"));
    QStringList seen;
    bool opened = false;
    whenOpen<QFileDialog>(opened, [&](QFileDialog *open) {
        seen << open->nameFilters() << open->selectedNameFilter() << open->defaultSuffix()
             << open->directory().absolutePath() << QFileInfo(open->selectedFiles().value(0)).fileName();
        if (chooseType == 0)
            return; // left open: whenOpen cancels it
        open->selectNameFilter(open->nameFilters().value(chooseType - 1));
        open->selectFile(typed);
        // QFileDialog::accept, which checks and takes the typed name, is reached through QDialog.
        static_cast<QDialog *>(open)->accept();
    });

    const int shown = dialog.ShowSave();

    QVERIFY(opened);
    QCOMPARE(shown, error);
    QCOMPARE(seen, (QStringList{"jpg格式 (*.jpg)", "txt格式 (*.txt)", openedOn, "jpg", folder.path(),
                                "Quorilex12-9-26.jpg"}));
    QCOMPARE(dialog.FilterIndex, filterIndexAfter);
    QCOMPARE(dialog.FileName,
             error == 0 ? typed + QStringLiteral(".jpg") : QStringLiteral("Quorilex12-9-26"));
}

void TestQtCommonDialog::overwritePrompt_data() {
    QTest::addColumn<bool>("prompt");
    QTest::newRow("saves ask before replacing a file") << true;
    QTest::newRow("a file to append to needs no asking") << false;
}

void TestQtCommonDialog::overwritePrompt() {
    QFETCH(bool, prompt);
    QtCommonDialog dialog(nullptr, nullptr);
    dialog.Filter = QStringLiteral("csv格式 (*.csv)|*.csv|");
    dialog.OverwritePrompt = prompt;
    bool asks = !prompt;
    bool opened = false;
    whenOpen<QFileDialog>(
        opened, [&](QFileDialog *open) { asks = !open->testOption(QFileDialog::DontConfirmOverwrite); });

    dialog.ShowSave();

    QVERIFY(opened);
    QCOMPARE(asks, prompt);
}

void TestQtCommonDialog::printerDialog_data() {
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<bool>("pageRange");
    QTest::addColumn<int>("error");

    QTest::newRow("flags 264, confirmed: no page range") << 264 << true << false << 0;
    QTest::newRow("flags 264, cancelled") << 264 << false << false << cdlCancel;
    QTest::newRow("no flags: page range offered") << 0 << true << true << 0;
}

void TestQtCommonDialog::printerDialog() {
    QFETCH(int, flags);
    QFETCH(bool, confirm);
    QFETCH(bool, pageRange);
    QFETCH(int, error);
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    QtCommonDialog dialog(nullptr, printer);
    dialog.Flags = flags;
    dialog.CancelError = true;
    bool opened = false;
    bool offered = !pageRange;
    QPrinter *used = nullptr;
    whenOpen<QPrintDialog>(opened, [&](QPrintDialog *open) {
        offered = open->testOption(QAbstractPrintDialog::PrintPageRange);
        used = open->printer();
        if (confirm)
            open->accept();
    });

    const int shown = dialog.ShowPrinter();

    QVERIFY(opened);
    QCOMPARE(shown, error);
    QCOMPARE(offered, pageRange);
    QCOMPARE(used, printer.get());
}

QTEST_MAIN(TestQtCommonDialog)
#include "tst_qtcommondialog.moc"
