#include "app/Fonts.h"

#include <QStringList>

QFont cjkFont(qreal pointSize, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("NSimSun"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("WenQuanYi Zen Hei"),
                      QStringLiteral("AR PL UMing CN")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
