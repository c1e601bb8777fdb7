#include "app/QtTimerControl.h"

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
    // QTimer::setInterval restarts an active timer; only a stopped one may change quietly.
    if (milliseconds != timer.interval())
        timer.setInterval(milliseconds);
}
