#pragma once

#include <QFont>

// SimSun where installed, otherwise a font of the same size and weight that shows CJK text.
QFont cjkFont(qreal pointSize, bool bold);
