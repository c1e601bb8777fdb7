#include "app/ClockFormat.h"

QString clockTimeFormat(const QString &longTimeFormat) {
    QString format;
    bool quoted = false;
    for (const QChar character : longTimeFormat) {
        if (character == u'\'')
            quoted = !quoted;
        if (quoted || character != u't')
            format += character;
    }
    return format.simplified();
}
