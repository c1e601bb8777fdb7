#include "cli/LogPattern.h"

namespace {

// The text of field `field` for `time`, or nothing when it is not a field.
std::optional<QString> fieldText(QChar field, const QDateTime &time) {
    switch (field.unicode()) {
    case u'Y':
        return time.toString(QStringLiteral("yyyy"));
    case u'm':
        return time.toString(QStringLiteral("MM"));
    case u'd':
        return time.toString(QStringLiteral("dd"));
    case u'H':
        return time.toString(QStringLiteral("HH"));
    case u'%':
        return QStringLiteral("%");
    default:
        return std::nullopt;
    }
}

} // namespace

QString logPatternError(const QString &pattern) {
    if (pattern.isEmpty())
        return QStringLiteral("--csv names no file");
    const QDateTime anyTime = QDateTime::currentDateTime();
    for (qsizetype index = 0; index < pattern.size(); ++index) {
        if (pattern[index] != u'%')
            continue;
        if (index + 1 == pattern.size())
            return QStringLiteral("the pattern '%1' ends in a lone %").arg(pattern);
        if (!fieldText(pattern[index + 1], anyTime))
            return QStringLiteral("%%1 in the pattern '%2' is not one of %Y %m %d %H %%")
                .arg(pattern[index + 1], pattern);
        ++index;
    }
    if (pattern.endsWith(u'/'))
        return QStringLiteral("the pattern '%1' names a folder, not a file").arg(pattern);
    return QString();
}

QString expandLogPattern(const QString &pattern, const QDateTime &time) {
    QString name;
    for (qsizetype index = 0; index < pattern.size(); ++index) {
        if (pattern[index] == u'%' && index + 1 < pattern.size()) {
            if (const std::optional<QString> text = fieldText(pattern[index + 1], time)) {
                name += *text;
                ++index;
                continue;
            }
        }
        name += pattern[index];
    }
    return name;
}
