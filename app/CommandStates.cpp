// The enabled states of the commands and the tab strip: what start-up, the views, discovery,
// a download and a time-out allow.
#include "app/Form1.h"

#include "app/TabStrip.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

void Form1::SetCommandStates(CommandMoment moment) {
    switch (moment) {
    case CommandMoment::Start:
        SetReadCommand(false);
        break;
    case CommandMoment::ViewShown:
        SetViewCommands();
        break;
    case CommandMoment::MeterFound:
        Button_read->setEnabled(!state.RealtimeView);
        menuread->setEnabled(true);
        break;
    case CommandMoment::DownloadBegun:
        SetReadCommand(false);
        SetOtherCommands(false, false);
        TabStrip1->setEnabled(false);
        break;
    case CommandMoment::DownloadEnded:
        SetReadCommand(!state.RealtimeView);
        SetOtherCommands(true, true);
        TabStrip1->setEnabled(true);
        break;
    case CommandMoment::TimedOut:
        SetViewCommands();
        TabStrip1->setEnabled(true);
        break;
    }
}

void Form1::SetReadCommand(bool enabled) {
    Button_read->setEnabled(enabled);
    menuread->setEnabled(enabled);
}

void Form1::SetViewCommands() {
    if (state.RealtimeView)
        SetReadCommand(false);
    else if (engine.meterFound()) // before the meter answered there is nothing to read
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
