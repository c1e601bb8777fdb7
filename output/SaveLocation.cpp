#include "output/SaveLocation.h"

#include <QDir>

QString defaultSaveFolder() {
#ifdef Q_OS_WIN
    return QStringLiteral("c:\\Quorilex");
#else
    return QDir::home().filePath(QStringLiteral("Quorilex"));
#endif
}

QString defaultFileName(const QString &shortDate) {
    // The characters Windows forbids, so a name made here is valid on every system.
    const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    QString name = QStringLiteral("Quorilex") + shortDate;
    for (QChar &character : name)
        if (forbidden.contains(character) || character.unicode() < 0x20)
            character = QLatin1Char('-');
    return name;
}
