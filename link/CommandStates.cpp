// Enabled states of the commands, which a download freezes and its end or a time-out restores.
#include "app/Form1.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

void Form1::SetReadCommand(bool enabled) {
    Button_read->setEnabled(enabled);
    menuread->setEnabled(enabled);
}

void Form1::SetOtherCommands(bool clearEnabled, bool saveprinthelpEnabled) {
    Button_save->setEnabled(saveprinthelpEnabled);
    Button_clear->setEnabled(clearEnabled);
    Button_print->setEnabled(saveprinthelpEnabled);
    Button_help->setEnabled(saveprinthelpEnabled);
    menusave->setEnabled(saveprinthelpEnabled);
    menuclear->setEnabled(clearEnabled);
    menuprint->setEnabled(saveprinthelpEnabled);
    menuhelp->menuAction()->setEnabled(saveprinthelpEnabled);
}
