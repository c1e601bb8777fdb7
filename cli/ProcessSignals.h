#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP as Qt signals on the event loop, so a handler never runs in the
// middle of a write; SIGXFSZ ignored, so a file past the size limit is a failed write. Only one
// may live at a time. Where the system has no such signals
// (Windows), Ctrl+C ends the program as it always does.
class ProcessSignals final : public QObject {
    Q_OBJECT
public:
    ProcessSignals();
    ~ProcessSignals() override;

signals:
    // SIGTERM or SIGINT: end cleanly.
    void endRequested();
    // SIGHUP: open the files anew.
    void reopenRequested();

private:
    void readPending();

    int pipeEnds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier;
};
