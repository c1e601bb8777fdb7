#pragma once

// The command-line options of the network outputs, for any program that carries them:
// --mqtt HOST[:PORT], --mqtt-user, --mqtt-password-file, --mqtt-ca, --mqtt-prefix, --name,
// --ha-prefix and --metrics [ADDRESS:]PORT.

#include "publish/PublishSettings.h"

#include <QCommandLineParser>

#include <optional>

void addPublishOptions(QCommandLineParser &parser);

// The settings the parsed options give, or nothing with the reason in `error`, for example
// "--name 'my meter' may hold only letters, digits, '_' and '-'". Reads the password file; its
// content never appears in an error.
std::optional<PublishSettings> publishSettings(const QCommandLineParser &parser, QString *error);
