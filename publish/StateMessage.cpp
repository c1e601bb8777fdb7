#include "publish/StateMessage.h"

#include "measure/IsoTime.h"

namespace {

QString jsonString(const QString &text) {
    QString quoted = QStringLiteral("\"");
    for (const QChar character : text) {
        if (character == u'"' || character == u'\\')
            quoted += u'\\' + QString(character);
        else if (character.unicode() < 0x20)
            quoted += QStringLiteral("\\u%1").arg(character.unicode(), 4, 16, QLatin1Char('0'));
        else
            quoted += character;
    }
    return quoted + u'"';
}

} // namespace

MeterTopics meterTopics(const QString &prefix, const QString &meterName) {
    const QString base = prefix + u'/' + meterName + u'/';
    return {base + QStringLiteral("state"), base + QStringLiteral("availability")};
}

QByteArray availabilityPayload(bool online) {
    return online ? QByteArrayLiteral("online") : QByteArrayLiteral("offline");
}

QByteArray stateMessage(const QDateTime &time, const std::vector<PublishedReading> &readings) {
    QString json = QStringLiteral("{\"time\":") + jsonString(isoTimeWithOffset(time));
    for (const PublishedReading &reading : readings) {
        // A base value is a plain decimal (sign, digits, a point), which is JSON as it stands.
        json += u',' + jsonString(reading.key) + u':' + reading.number.value_or(QStringLiteral("null"));
    }
    return (json + u'}').toUtf8();
}
