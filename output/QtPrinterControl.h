#pragma once

#include "output/PrinterControl.h"

#include <QPainter>

#include <memory>

class QPrinter;

// The printer that the window's print dialog and print object share while the window lives.
std::shared_ptr<QPrinter> sharedPrinter();

// The print object on QPrinter: a fixed-width font so the columns line up, and a new page
// whenever the next line would run past the bottom of the printable area.
class QtPrinterControl final : public PrinterControl {
public:
    explicit QtPrinterControl(std::shared_ptr<QPrinter> printer);
    ~QtPrinterControl() override;

    void setCurrentY(float twips) override;
    void PrintLine(const TextLine &line) override;
    QString EndDoc() override;

private:
    bool startDocument();

    std::shared_ptr<QPrinter> printer;
    QPainter painter;
    QString failure;
    qreal nextLineTop = 0;
    qreal characterWidth = 0;
    qreal lineHeight = 0;
    qreal ascent = 0;
};
