// Switching between the Realtime and Record views, and the status-bar clock.
#include "app/Form1.h"

#include "app/TabStrip.h"
#include "app/TimerControl.h"
#include "measure/GridControl.h"

#include <QAction>
#include <QDateTime>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QProgressBar>
#include <QToolButton>

void Form1::TabStrip1_Click() {
    const bool realtime = TabStrip1->SelectedIndex() == 1;
    state.RealtimeView = realtime;
    Frame_realtime->setVisible(realtime);
    DataGrid->setVisible(!realtime);
    Timer_real->setEnabled(true);
    if (realtime) {
        Button_read->setEnabled(false);
        menuread->setEnabled(false);
    } else if (state.MeterFound) {
        Button_read->setEnabled(true);
        menuread->setEnabled(true);
    }
    Button_save->setEnabled(true);
    menusave->setEnabled(true);
    Button_clear->setEnabled(!realtime);
    menuclear->setEnabled(!realtime);
    Button_print->setEnabled(true);
    menuprint->setEnabled(true);
    Button_help->setEnabled(true);
    menuhelp->menuAction()->setEnabled(true);
    if (realtime)
        Progress_read->hide();
}

void Form1::Timer_date_Timer() {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    StatusBar1Panels[0]->setText(locale.toString(now.date(), QLocale::ShortFormat));
    StatusBar1Panels[2]->setText(locale.toString(now.time(), QLocale::ShortFormat));
}
