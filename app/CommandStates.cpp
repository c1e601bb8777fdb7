// Enabled states of the commands, which a download freezes and its end or a time-out restores.
#include "app/Form1.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

void Form1::SetReadCommand(bool enabled) {
    Button_read->setEnabled(enabled);
    menuread->setEnabled(enabled);
}

void Form1::SetViewCommands() {
    if (state.RealtimeView)
        SetReadCommand(false);
    else if (state.MeterFound) // before the meter answered there is nothing to read
        SetReadCommand(true);
    SetOtherCommands(!state.RealtimeView, true);
}

void Form1::SetOtherCommands(bool clearEnabled, bool savePrintHelpEnabled) {
    Button_save->setEnabled(savePrintHelpEnabled);
    Button_clear->setEnabled(clearEnabled);
    Button_print->setEnabled(savePrintHelpEnabled);
    Button_help->setEnabled(savePrintHelpEnabled);
    menusave->setEnabled(savePrintHelpEnabled);
    menuclear->setEnabled(clearEnabled);
    menuprint->setEnabled(savePrintHelpEnabled);
    menuhelp->menuAction()->setEnabled(savePrintHelpEnabled);
}
