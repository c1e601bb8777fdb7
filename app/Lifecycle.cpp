// Start-up, shut-down, About and Clear, and the menu entries that forward to the buttons.
#include "app/Form1.h"

#include "app/Platform.h"
#include "link/SerialControl.h"
#include "link/TimerControl.h"
#include "measure/GridControl.h"

#include <QAction>
#include <QFrame>
#include <QToolButton>

void Form1::Form_Load() {
    state.RealtimeView = true;
    SetCommandStates(CommandMoment::Start);
    Timer_date_Timer();
    engine.start();
    GridInit();
    DataGrid->hide();
    Frame_realtime->show();
}

void Form1::Button_close_Click() {
    // Nothing may run after Close: the port is closed, every timer stops, the window goes.
    engine.stop();
    Timer_date->setEnabled(false);
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
}

void Form1::menuread_Click() {
    Button_read_Click();
}
void Form1::menusave_Click() {
    Button_save_Click();
}
void Form1::menuclose_Click() {
    Button_close_Click();
}
void Form1::menuclear_Click() {
    Button_clear_Click();
}
void Form1::menuprint_Click() {
    Button_print_Click();
}
void Form1::menuabout_Click() {
    Button_help_Click();
}
