#pragma once

#include <QObject>
#include <QTimer>

class QString;

// Tells systemd how the program is doing when it runs as a Type=notify service: ready once it runs,
// a one-line status, and the watchdog's keep-alive sent from the event loop, so a hung loop gets the
// service restarted. Outside such a service, or where libsystemd is missing, it sends nothing.
class ServiceNotifier : public QObject {
public:
    explicit ServiceNotifier(QObject *parent = nullptr);

    void ready(const QString &status);
    void status(const QString &status);
    void stopping();

private:
    void send(const QString &state);

    QTimer keepAliveTimer;
};
