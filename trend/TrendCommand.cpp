// Operate, Trend: the one trend window, opened or brought to the front where it was last.
#include "app/Form1.h"

#include "app/Preferences.h"
#include "readings/RunReadings.h"
#include "trend/TrendWindow.h"

#include <QComboBox>

void Form1::menutrend_Click() {
    if (!trendWindow) {
        trendWindow = new TrendWindow(*runReadings, platform, this);
        connect(trendWindow, &TrendWindow::exportFailed, this, &Form1::reportSaveError);
        if (const int span = preferences->trendSpan(); span >= 0 && span < trendWindow->TrendSpan->count())
            trendWindow->TrendSpan->setCurrentIndex(span);
        connect(trendWindow->TrendSpan, &QComboBox::currentIndexChanged, preferences.get(),
                &Preferences::setTrendSpan);
        preferences->restorePlace(trendWindow, QStringLiteral("trend"));
        preferences->rememberPlace(trendWindow, QStringLiteral("trend"));
    }
    trendWindow->show();
    trendWindow->redraw();
    trendWindow->raise();
    trendWindow->activateWindow();
}
