#pragma once

#include "link/TimerControl.h"

#include <QTimer>

class QtTimerControl final : public TimerControl {
    Q_OBJECT
public:
    QtTimerControl();

    bool Enabled() const override { return timer.isActive(); }
    void setEnabled(bool enabled) override;
    int Interval() const override { return timer.interval(); }
    void setInterval(int milliseconds) override;

private:
    QTimer timer;
};
