// Polling the meter, starting a record download, and the response time-out.
#include "app/Form1.h"

#include "app/TabStrip.h"
#include "app/TimerControl.h"

#include <QLabel>
#include <QProgressBar>

void Form1::Timer_real_Timer() {
    if (!state.MeterFound)
        return;
    ComOpen(state.ComNum);
    // The Record view only keeps the link alive; readings are asked for where they are shown.
    SendCommand(1, state.RealtimeView ? 6 : 5, 0, 0, 0);
}

void Form1::Button_read_Click() {
    if (state.RealtimeView || !state.MeterFound)
        return;
    SetReadCommand(false);
    SetOtherCommands(false, false);
    TabStrip1->setEnabled(false);
    Timer_real->setEnabled(false);
    Timer_read->setEnabled(true);
}

void Form1::Timer_read_Timer() {
    // The last poll's answer is still awaited; the count request would replace it.
    if (state.LinkStatus == LinkAwaiting)
        return;
    Timer_read->setEnabled(false);
    ComOpen(state.ComNum);
    SendCommand(1, 2, 0, 0, 0);
}

void Form1::Timer_timeout_Timer() {
    Timer_timeout->setEnabled(false);
    state.LinkStatus = LinkTimedOut;
    Lab_rtsta->setText(QStringLiteral("Unconnected"));
    KeepLinkLost();
    SetViewCommands();
    TabStrip1->setEnabled(true);
    Timer_real->setEnabled(true);
    Progress_read->hide();
    state.RecordBlocks = 0;
    blockRecordsAwaited = 0;
}
