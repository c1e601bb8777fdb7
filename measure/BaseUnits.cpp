#include "measure/BaseUnits.h"

#include <QStringView>

#include <array>

namespace {

struct UnitRow {
    QStringView text;
    QStringView base;
    int powerOfTen;
};

// The meter's unit texts that carry numbers. The multiplier letter is K in "KW", "Kvar",
// "KVA", "KWh" and "KHz" and k in "kΩ"; all mean a thousand.
constexpr std::array<UnitRow, 18> NumberUnits = {{
    {u"mA", u"A", -3},
    {u"A", u"A", 0},
    {u"mV", u"V", -3},
    {u"V", u"V", 0},
    {u"m\u03A9", u"\u03A9", -3},
    {u"\u03A9", u"\u03A9", 0},
    {u"k\u03A9", u"\u03A9", 3},
    {u"W", u"W", 0},
    {u"KW", u"W", 3},
    {u"var", u"var", 0},
    {u"Kvar", u"var", 3},
    {u"VA", u"VA", 0},
    {u"KVA", u"VA", 3},
    {u"KWh", u"Wh", 3},
    {u"\u00B0", u"\u00B0", 0},
    {u" ", u"", 0},
    {u"Hz", u"Hz", 0},
    {u"KHz", u"Hz", 3},
}};

bool isDigit(QChar character) {
    return character >= u'0' && character <= u'9';
}

} // namespace

std::optional<BaseUnit> baseUnitOf(const QString &unitText) {
    for (const UnitRow &row : NumberUnits)
        if (row.text == unitText)
            return BaseUnit{row.base.toString(), row.powerOfTen};
    return std::nullopt;
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
