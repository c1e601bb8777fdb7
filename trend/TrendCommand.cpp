// Operate, Trend: the one trend window, opened or brought to the front.
#include "app/Form1.h"

#include "trend/ReadingHistory.h"
#include "trend/TrendWindow.h"

void Form1::menutrend_Click() {
    if (!trendWindow) {
        trendWindow = new TrendWindow(*readingHistory, this);
        connect(trendWindow, &TrendWindow::exportFailed, this, &Form1::reportSaveError);
    }
    trendWindow->show();
    trendWindow->redraw();
    trendWindow->raise();
    trendWindow->activateWindow();
}
