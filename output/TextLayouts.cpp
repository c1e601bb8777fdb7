#include "output/TextLayouts.h"

namespace {
const QString fiveBlanks = QStringLiteral("     ");
}

QStringList readingLines(const QStringList &itemCaptions, const QStringList &valueCaptions) {
    QStringList lines;
    for (int row = 0; row < itemCaptions.size(); ++row)
        lines << fiveBlanks + itemCaptions[row] + fiveBlanks + valueCaptions.value(row);
    return lines;
}

TabStopWriter realtimeReadings(const QStringList &lines, TextLayout layout) {
    TabStopWriter writer;
    const bool printout = layout == TextLayout::Printout;
    if (printout) {
        writer.print(fiveBlanks);
        writer.endLine();
    }
    for (const QString &line : lines) {
        writer.print(line);
        writer.endLine();
    }
    if (printout) {
        writer.print(QString(11, QLatin1Char(' ')));
        writer.endLine();
    }
    return writer;
}

TabStopWriter recordTable(const CellRows &rows, TextLayout layout) {
    constexpr int cellStops[] = {20, 40, 60};
    TabStopWriter writer;
    for (size_t row = 0; row < rows.size(); ++row) {
        const QStringList &cells = rows[row];
        const bool valueRow = row % 2 == 1;
        const int shift = layout == TextLayout::TextFile && valueRow ? int(cells.value(0).size()) + 1 : 0;
        writer.tab(0);
        writer.print(cells.value(0));
        for (int column = 1; column <= 3; ++column) {
            writer.tab(cellStops[column - 1] - shift);
            writer.print(cells.value(column));
        }
    }
    if (layout == TextLayout::Printout) {
        writer.print(QStringLiteral("  "));
        writer.endLine();
    }
    return writer;
}
