#pragma once

#include <QString>

#include <vector>

// A text placed at a character column of its line, column 1 being the left edge.
struct TextRun {
    int column;
    QString text;
};

// One line of the writer: its texts, and how many columns it fills (blanks included).
struct TextLine {
    std::vector<TextRun> runs;
    int width = 0;
    bool ended = false; // finished by a line break; the last line may stay open

    // The line as characters, the gaps between its texts filled with blanks.
    QString toString() const;
};

// Writes text cells at character tab stops, the way the record text file and the printouts
// lay them out. It only records lines; the text file and the printer take them from here.
class TabStopWriter {
public:
    // Moves to column max(stop, 1); when the line is already past it, a new line starts there.
    void tab(int stop);
    // Writes text at the current column and leaves the line open.
    void print(const QString &text);
    // Finishes the current line.
    void endLine();

    const std::vector<TextLine> &lines() const { return written; }
    // Every finished line followed by CR LF; an open last line without.
    QString text() const;

private:
    TextLine &openLine();

    std::vector<TextLine> written;
};
