#pragma once

#include <QObject>

// A timer with the classic control semantics: enabling a timer that already runs keeps its
// countdown, disabling and enabling it again starts a full interval. The response time-out
// depends on this, which is why QTimer::start() (a restart) cannot be used directly.
class TimerControl : public QObject {
    Q_OBJECT
public:
    virtual bool Enabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual int Interval() const = 0;
    virtual void setInterval(int milliseconds) = 0;

signals:
    void Timer();
};
