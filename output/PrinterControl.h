#pragma once

#include "output/TabStopWriter.h"

#include <QString>

// The print object: prints lines of text with their texts at character columns, measured in
// the average character width of the printer's font. The document starts with its first line.
class PrinterControl {
public:
    virtual ~PrinterControl() = default;

    // Places the next line this many twips (1/1440 inch) below the top of the printable area.
    virtual void setCurrentY(float twips) = 0;
    virtual void PrintLine(const TextLine &line) = 0;
    // Ends the document and sends it to the printer. Returns why it could not be printed, or an
    // empty text when it was.
    virtual QString EndDoc() = 0;
};
