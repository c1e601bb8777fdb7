#pragma once

#include <QSettings>
#include <QTemporaryDir>

#include <memory>

// Settings in a folder that goes with this object, so no test reads or writes the user's own.
// Every settings object it creates uses the same file, as one run after another would.
class TemporarySettings {
public:
    std::unique_ptr<QSettings> create() const {
        return std::make_unique<QSettings>(folder.filePath(QStringLiteral("powerclamp.ini")),
                                           QSettings::IniFormat);
    }

private:
    QTemporaryDir folder;
};
