// Switching between the Realtime and Record views, and the status-bar clock.
#include "app/Form1.h"

#include "app/ClockFormat.h"
#include "app/TabStrip.h"
#include "link/TimerControl.h"
#include "measure/GridControl.h"

#include <QDateTime>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>

void Form1::TabStrip1_Click() {
    const bool realtime = TabStrip1->SelectedIndex() == 1;
    state.RealtimeView = realtime;
    Frame_realtime->setVisible(realtime);
    DataGrid->setVisible(!realtime);
    engine.setRealtimeView(realtime);
    SetCommandStates(CommandMoment::ViewShown);
    if (realtime)
        Progress_read->hide();
}

void Form1::Timer_date_Timer() {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    StatusBar1Panels[0]->setText(locale.toString(now.date(), QLocale::ShortFormat));
    StatusBar1Panels[2]->setText(
        locale.toString(now.time(), clockTimeFormat(locale.timeFormat(QLocale::LongFormat))));
}
