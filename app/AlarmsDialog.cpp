#include "app/AlarmsDialog.h"

#include "measure/ItemNames.h"
#include "readings/StatisticsText.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int LimitDigits = 7;
// The item names of the meter, each once, in code order.
QStringList limitableItems() {
    QStringList names;
    for (const QStringView name : ItemNames)
        if (isNumberItem(name.toString()) && !names.contains(name))
            names << name.toString();
    return names;
}

// A number in the user's way of writing it or with a point; nothing for an empty cell.
std::optional<double> cellNumber(const QString &text, bool &readable) {
    readable = true;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    double number = QLocale().toDouble(trimmed, &readable);
    if (!readable)
        number = QLocale::c().toDouble(trimmed, &readable);
    readable = readable && std::isfinite(number);
    return number;
}

QTableWidgetItem *fixedCell(const QString &text) {
    auto *cell = new QTableWidgetItem(text);
    cell->setFlags(cell->flags() & ~Qt::ItemIsEditable);
    return cell;
}

} // namespace

AlarmsDialog::AlarmsDialog(const std::vector<AlarmLimit> &limits, const QHash<QString, QString> &units,
                           QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("AlarmsDialog"));
    setWindowTitle(QStringLiteral("Alarms - Large Caliber Power Clamp"));
    const QStringList items = limitableItems();
    AlarmTable = new QTableWidget(int(items.size()), 6, this);
    AlarmTable->setObjectName(QStringLiteral("AlarmTable"));
    AlarmTable->setHorizontalHeaderLabels({QStringLiteral("Item"), QStringLiteral("Unit"),
                                           QStringLiteral("Lower limit"), QStringLiteral("Upper limit"),
                                           QStringLiteral("Hold (s)"), QStringLiteral("Hysteresis (%)")});
    AlarmTable->verticalHeader()->hide();
    for (int row = 0; row < items.size(); ++row) {
        const QString &item = items[row];
        const auto limit = std::find_if(limits.begin(), limits.end(),
                                        [&item](const AlarmLimit &each) { return each.item == item; });
        AlarmLimit shown;
        if (limit != limits.end())
            shown = *limit;
        const auto number = [](const std::optional<double> &value) {
            return value ? plainNumber(*value, LimitDigits) : QString();
        };
        AlarmTable->setItem(row, ItemColumn, fixedCell(item));
        AlarmTable->setItem(row, UnitColumn, fixedCell(units.value(item)));
        AlarmTable->setItem(row, LowerColumn, new QTableWidgetItem(number(shown.lower)));
        AlarmTable->setItem(row, UpperColumn, new QTableWidgetItem(number(shown.upper)));
        AlarmTable->setItem(row, HoldColumn,
                            new QTableWidgetItem(plainNumber(double(shown.holdMs) / 1000, LimitDigits)));
        AlarmTable->setItem(row, HysteresisColumn,
                            new QTableWidgetItem(plainNumber(shown.hysteresisPercent, LimitDigits)));
    }
    AlarmTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    AlarmTable->horizontalHeader()->setSectionResizeMode(ItemColumn, QHeaderView::ResizeToContents);
    AlarmTable->horizontalHeader()->setSectionResizeMode(UnitColumn, QHeaderView::ResizeToContents);

    auto *note =
        new QLabel(QStringLiteral("Limits are in the item's base unit (V, A, W, var, VA, \u03A9, Hz...). "
                                  "An alarm is raised when a value stays beyond a limit for the hold "
                                  "time, and clears when it is back inside by the hysteresis. An "
                                  "overload is above every upper limit."),
                   this);
    note->setWordWrap(true);
    AlarmProblem = new QLabel(this);
    AlarmProblem->setObjectName(QStringLiteral("AlarmProblem"));
    AlarmProblem->setWordWrap(true);
    QPalette red = AlarmProblem->palette();
    red.setColor(QPalette::WindowText, QColor(200, 0, 0));
    AlarmProblem->setPalette(red);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &AlarmsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AlarmsDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(AlarmTable);
    layout->addWidget(AlarmProblem);
    layout->addWidget(buttons);
    resize(640, 520);
}

std::optional<std::vector<AlarmLimit>> AlarmsDialog::limits(QString &problem) const {
    std::vector<AlarmLimit> limits;
    for (int row = 0; row < AlarmTable->rowCount(); ++row) {
        AlarmLimit limit;
        limit.item = AlarmTable->item(row, ItemColumn)->text();
        bool lowerReadable = false;
        bool upperReadable = false;
        bool holdReadable = false;
        bool hysteresisReadable = false;
        limit.lower = cellNumber(AlarmTable->item(row, LowerColumn)->text(), lowerReadable);
        limit.upper = cellNumber(AlarmTable->item(row, UpperColumn)->text(), upperReadable);
        const std::optional<double> hold =
            cellNumber(AlarmTable->item(row, HoldColumn)->text(), holdReadable);
        const std::optional<double> hysteresis =
            cellNumber(AlarmTable->item(row, HysteresisColumn)->text(), hysteresisReadable);
        if (!lowerReadable || !upperReadable || !holdReadable || !hysteresisReadable) {
            problem = QStringLiteral("%1: a limit, the hold time and the hysteresis must be numbers.")
                          .arg(limit.item);
            return std::nullopt;
        }
        if (!limit.lower && !limit.upper)
            continue;
        limit.holdMs = hold ? std::llround(*hold * 1000) : DefaultAlarmHoldMs;
        limit.hysteresisPercent = hysteresis.value_or(DefaultAlarmHysteresisPercent);
        problem = alarmLimitProblem(limit);
        if (!problem.isEmpty())
            return std::nullopt;
        limits.push_back(limit);
    }
    problem.clear();
    return limits;
}

void AlarmsDialog::accept() {
    QString problem;
    const std::optional<std::vector<AlarmLimit>> taken = limits(problem);
    AlarmProblem->setText(problem);
    if (!taken)
        return;
    confirmed = *taken;
    QDialog::accept();
}
