#pragma once

#include <QString>

// The locale's long time format without its time-zone part: the status bar's clock shows the
// seconds it ticks, and a zone name would only crowd the panel.
QString clockTimeFormat(const QString &longTimeFormat);
