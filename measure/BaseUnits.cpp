#include "measure/BaseUnits.h"

#include "measure/UnitFacts.h"

namespace {

bool isDigit(QChar character) {
    return character >= u'0' && character <= u'9';
}

} // namespace

std::optional<BaseUnit> baseUnitOf(const QString &unitText) {
    const UnitFact *fact = unitFactOf(unitText);
    if (!fact || fact->kind != UnitKind::Number)
        return std::nullopt;
    return BaseUnit{fact->baseUnit.toString(), fact->powerOfTen};
}

std::optional<QString> shiftedDecimal(const QString &valueText, int powerOfTen) {
    const QString text = valueText.trimmed();
    qsizetype position = 0;
    const bool negative = position < text.size() && text[position] == u'-';
    if (position < text.size() && (text[position] == u'-' || text[position] == u'+'))
        ++position;
    QString digits;
    qsizetype pointAt = -1; // digits before the point
    for (; position < text.size(); ++position) {
        const QChar character = text[position];
        if (isDigit(character))
            digits += character;
        else if (character == u'.' && pointAt < 0)
            pointAt = digits.size();
        else
            return std::nullopt;
    }
    if (digits.isEmpty())
        return std::nullopt;
    if (pointAt < 0)
        pointAt = digits.size();
    pointAt += powerOfTen;
    // Pad with zeros so the point falls inside the digits.
    if (pointAt < 0) {
        digits.prepend(QString(-pointAt, u'0'));
        pointAt = 0;
    } else if (pointAt > digits.size()) {
        digits.append(QString(pointAt - digits.size(), u'0'));
    }
    QString whole = digits.left(pointAt);
    const QString fraction = digits.mid(pointAt);
    while (whole.size() > 1 && whole.startsWith(u'0'))
        whole.remove(0, 1);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    QString number = fraction.isEmpty() ? whole : whole + u'.' + fraction;
    return negative ? u'-' + number : number;
}

std::optional<BaseValue> baseValue(const QString &valueText, const QString &unitText) {
    const std::optional<BaseUnit> base = baseUnitOf(unitText);
    if (!base)
        return std::nullopt;
    const std::optional<QString> number = shiftedDecimal(valueText, base->powerOfTen);
    if (!number)
        return std::nullopt;
    return BaseValue{*number, base->unit};
}
