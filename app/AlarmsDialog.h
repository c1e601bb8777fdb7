#pragma once

#include "readings/AlarmLimits.h"

#include <QDialog>
#include <QHash>

#include <optional>
#include <vector>

class QLabel;
class QTableWidget;

// Operate, Alarms: per item a lower and an upper limit in the item's base unit, a hold time and a
// hysteresis, in a table with one row per item of the meter. An empty limit is no limit; a row
// without either is no alarm.
class AlarmsDialog final : public QDialog {
    Q_OBJECT
public:
    enum Column { ItemColumn, UnitColumn, LowerColumn, UpperColumn, HoldColumn, HysteresisColumn };

    // `units` gives, per item name, the base unit its readings came in this run, where known.
    AlarmsDialog(const std::vector<AlarmLimit> &limits, const QHash<QString, QString> &units,
                 QWidget *parent);

    QTableWidget *AlarmTable;
    // Why the table cannot be taken; empty while nothing is wrong.
    QLabel *AlarmProblem;

    // The limits the table holds, or nothing when a row is wrong; `problem` then says why.
    std::optional<std::vector<AlarmLimit>> limits(QString &problem) const;
    // The limits the dialog was confirmed with.
    const std::vector<AlarmLimit> &chosen() const { return confirmed; }

    // Closes the dialog only when every row can be taken; otherwise says what is wrong.
    void accept() override;

private:
    std::vector<AlarmLimit> confirmed;
};
