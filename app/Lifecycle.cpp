// Start-up, shut-down, About and Clear, and the menu entries that forward to the buttons.
#include "app/Form1.h"

#include "app/Platform.h"
#include "app/TimerControl.h"
#include "link/SerialControl.h"
#include "measure/GridControl.h"

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

void Form1::Form_Load() {
    state.RealtimeView = true;
    state.MeterFound = false;
    state.ComNum = 1;
    state.LinkStatus = LinkIdle;
    state.RecordTotal = 0;
    state.Type3Value = 0;
    state.RecordBlocks = 0;
    DisLabelInit();
    SetCommandStates(CommandMoment::Start);
    Timer_date_Timer();
    Timer_findcom->setEnabled(true);
    GridInit();
    DataGrid->hide();
    Frame_realtime->show();
}

void Form1::Button_close_Click() {
    if (MSComm1->PortOpen())
        MSComm1->setPortOpen(false);
    // Nothing may run after Close: stop every timer and leave the window at once.
    for (TimerControl *timer : {Timer_date.get(), Timer_findcom.get(), Timer_real.get(), Timer_read.get(),
                                Timer_timeout.get()})
        timer->setEnabled(false);
    MSComm1->disconnect(this);
    hide();
    platform.End();
}

void Form1::Button_help_Click() {
    platform.MsgBox(this, {QStringLiteral("Large Caliber Power Clamp Software(EN).\r"
                                          " Please contact us for more information!\r"),
                           QStringLiteral("Thank you for using our product."), QMessageBox::Information});
}

void Form1::Button_clear_Click() {
    GridInit();
    StatusBar1Records->hide();
}

void Form1::menuread_Click() { Button_read_Click(); }
void Form1::menusave_Click() { Button_save_Click(); }
void Form1::menuclose_Click() { Button_close_Click(); }
void Form1::menuclear_Click() { Button_clear_Click(); }
void Form1::menuprint_Click() { Button_print_Click(); }
void Form1::menuabout_Click() { Button_help_Click(); }
