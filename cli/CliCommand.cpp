#include "cli/CliCommand.h"

void Console::say(const QString &text) const {
    std::fprintf(err, "powerclamp-cli: %s\n", text.toLocal8Bit().constData());
    std::fflush(err);
}

bool Console::print(const QByteArray &bytes) const {
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out) == size_t(bytes.size()) &&
           std::fflush(out) == 0;
}

void CliCommand::finish(int status) {
    if (done)
        return;
    done = true;
    emit finished(status);
}
