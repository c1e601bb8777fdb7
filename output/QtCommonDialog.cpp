#include "output/QtCommonDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrinter>

namespace {

// "description|pattern|description|pattern|" as Qt's name filters; Qt reads the patterns from
// the last parentheses, so a description that already shows its pattern is used as it is.
QStringList nameFilters(const QString &filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int part = 0; part + 1 < parts.size(); part += 2) {
        const QString &description = parts[part];
        const QString &pattern = parts[part + 1];
        filters << (description.endsWith(QStringLiteral("(%1)").arg(pattern))
                        ? description
                        : QStringLiteral("%1 (%2)").arg(description, pattern));
    }
    return filters;
}

} // namespace

QtCommonDialog::QtCommonDialog(QWidget *owner, std::shared_ptr<QPrinter> printer)
    : owner(owner), printer(std::move(printer)) {}

int QtCommonDialog::ShowSave() {
    const QStringList filters = nameFilters(Filter);
    QFileDialog dialog(owner, QString(), InitDir);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(
        filters.value(FilterIndex >= 1 && FilterIndex <= filters.size() ? FilterIndex - 1 : 0));
    dialog.setDefaultSuffix(DefaultExt);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !OverwritePrompt);
    dialog.selectFile(FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return cancelled();
    FileName = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    FilterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return 0;
}

int QtCommonDialog::ShowPrinter() {
    QPrintDialog dialog(printer.get(), owner);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, !(Flags & cdlPDNoPageNums));
    return dialog.exec() == QDialog::Accepted ? 0 : cancelled();
}
