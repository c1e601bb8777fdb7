#pragma once

#include <QObject>
#include <QString>

#include <cstdio>

// Where a command writes: its results on `out`, what it has to say on `err`.
struct Console {
    std::FILE *out = stdout;
    std::FILE *err = stderr;
    // A progress line is drawn only where a person watches.
    bool errIsTerminal = false;

    // One line on `err`, after the program's name.
    void say(const QString &text) const;
    // Bytes on `out`, at once; false when they could not be written.
    bool print(const QByteArray &bytes) const;
};

// One command of powerclamp-cli. It runs on the event loop from start() until it emits
// finished() with the program's exit status.
class CliCommand : public QObject {
    Q_OBJECT
public:
    explicit CliCommand(const Console &console) : console(console) {}

    virtual void start() = 0;
    // SIGTERM or SIGINT: end cleanly.
    virtual void end() { finish(0); }

signals:
    void finished(int status);

protected:
    // Emits finished once, whatever calls it later.
    void finish(int status);
    bool isFinished() const { return done; }

    Console console;

private:
    bool done = false;
};
