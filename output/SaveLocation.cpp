#include "output/SaveLocation.h"

#include <QDir>

#include <filesystem>
#include <system_error>

QString defaultSaveFolder() {
#ifdef Q_OS_WIN
    return QStringLiteral("c:\\Quorilex");
#else
    return QDir::home().filePath(QStringLiteral("Quorilex"));
#endif
}

QString createFolder(const QString &folder) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(folder.toStdU16String()), error);
    return error ? QString::fromLocal8Bit(error.message()) : QString();
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
