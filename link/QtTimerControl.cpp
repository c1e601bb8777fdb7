#include "link/QtTimerControl.h"

QtTimerControl::QtTimerControl() {
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, this, &TimerControl::Timer);
}

void QtTimerControl::setEnabled(bool enabled) {
    if (!enabled)
        timer.stop();
    else if (!timer.isActive()) // QTimer::start() would restart a running countdown
        timer.start();
}

void QtTimerControl::setInterval(int milliseconds) {
    // Changing the interval of a running timer restarts its countdown, as QTimer does.
    timer.setInterval(milliseconds);
}
