#include "output/TabStopWriter.h"

#include <algorithm>

QString TextLine::toString() const {
    QString characters(width, QLatin1Char(' '));
    for (const TextRun &run : runs)
        characters.replace(run.column - 1, run.text.size(), run.text);
    return characters;
}

TextLine &TabStopWriter::openLine() {
    if (written.empty() || written.back().ended)
        written.emplace_back();
    return written.back();
}

void TabStopWriter::tab(int stop) {
    const int target = std::max(stop, 1);
    TextLine *line = &openLine();
    if (line->width + 1 > target) {
        line->ended = true;
        line = &openLine();
    }
    line->width = target - 1;
}

void TabStopWriter::print(const QString &text) {
    TextLine &line = openLine();
    if (!text.isEmpty())
        line.runs.push_back({line.width + 1, text});
    line.width += int(text.size());
}

void TabStopWriter::endLine() {
    openLine().ended = true;
}

QString TabStopWriter::text() const {
    QString characters;
    for (const TextLine &line : written) {
        characters += line.toString();
        if (line.ended)
            characters += QStringLiteral("\r\n");
    }
    return characters;
}
