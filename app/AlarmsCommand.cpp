// Operate, Alarms: the limits chosen in the dialog are watched from then on and remembered.
#include "app/Form1.h"

#include "app/AlarmsDialog.h"
#include "app/Platform.h"
#include "app/Preferences.h"
#include "readings/RunReadings.h"

void Form1::menualarms_Click() {
    QHash<QString, QString> units;
    for (const ReadingHistory::Item &item : runReadings->history().items())
        units.insert(item.name, item.unit);
    auto *dialog = new AlarmsDialog(runReadings->alarms().limits(), units, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        preferences->setAlarmLimits(dialog->chosen());
        runReadings->setAlarmLimits(dialog->chosen(), platform.currentDateTime());
    });
    dialog->open();
}
