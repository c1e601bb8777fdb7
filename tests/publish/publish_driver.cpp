// Test-only: a publisher in a process of its own, with the publishing options on its command
// line, driven line by line on standard input:
//   connected | lost | answer U1_VALUE | finish
// It prints "started" when running, notices on standard error, and "finished" before it ends.

#include "publish/PublishOptions.h"
#include "publish/ReadingsPublisher.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    addPublishOptions(parser);
    parser.process(application);
    QString error;
    const std::optional<PublishSettings> settings = publishSettings(parser, &error);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!settings) {
        err << error << Qt::endl;
        return 2;
    }
    ReadingsPublisher publisher(*settings);
    QObject::connect(&publisher, &ReadingsPublisher::notice,
                     [&err](const QString &text) { err << text << Qt::endl; });
    QObject::connect(&publisher, &ReadingsPublisher::finished, [&out] {
        out << "finished" << Qt::endl;
        QCoreApplication::quit();
    });
    if (!publisher.start(&error)) {
        err << error << Qt::endl;
        return 1;
    }
    // Commands may come several in one read; a partial line waits for its end.
    QByteArray pending;
    QSocketNotifier commands(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, [&] {
        char buffer[512];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) { // the test's end of the pipe closed
            commands.setEnabled(false);
            publisher.finish();
            return;
        }
        pending.append(buffer, qsizetype(got));
        for (qsizetype lineEnd = pending.indexOf('\n'); lineEnd >= 0; lineEnd = pending.indexOf('\n')) {
            const QString command = QString::fromUtf8(pending.left(lineEnd)).trimmed();
            pending.remove(0, lineEnd + 1);
            if (command == QLatin1String("connected"))
                publisher.takeLinkConnected();
            else if (command == QLatin1String("lost"))
                publisher.takeLinkLost();
            else if (command.startsWith(QLatin1String("answer ")))
                publisher.takeAnswer(QDateTime::currentDateTime(),
                                     {{QStringLiteral("U1"), command.mid(7), QStringLiteral("V")}});
            else if (command == QLatin1String("finish"))
                publisher.finish();
        }
    });
    out << "started" << Qt::endl;
    return application.exec();
}
