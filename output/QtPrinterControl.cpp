#include "output/QtPrinterControl.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPrinter>

std::shared_ptr<QPrinter> sharedPrinter() {
    static std::weak_ptr<QPrinter> shared;
    std::shared_ptr<QPrinter> printer = shared.lock();
    if (!printer) {
        printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
        shared = printer;
    }
    return printer;
}

QtPrinterControl::QtPrinterControl(std::shared_ptr<QPrinter> printer) : printer(std::move(printer)) {}

QtPrinterControl::~QtPrinterControl() {
    if (painter.isActive())
        painter.end();
}

void QtPrinterControl::setCurrentY(float twips) {
    nextLineTop = qreal(twips) * printer->resolution() / 1440.0;
}

bool QtPrinterControl::startDocument() {
    if (!painter.begin(printer.get())) {
        const QString target =
            printer->outputFileName().isEmpty() ? printer->printerName() : printer->outputFileName();
        failure = target.isEmpty() ? QStringLiteral("No printer is available.")
                                   : QStringLiteral("%1 did not accept the document.").arg(target);
        return false;
    }
    QFont font(QStringLiteral("monospace"), 10);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    painter.setFont(font);
    // The printer's own metrics: screen metrics are far off at printer resolutions.
    const QFontMetricsF metrics(painter.font(), printer.get());
    // In a fixed-width font every character's advance is the average width. The font's own
    // average field is not always that (Noto Sans Mono's is 7.5 % wider), and columns measured in
    // it would drift from the characters printed before them.
    characterWidth = metrics.horizontalAdvance(QLatin1Char('x'));
    lineHeight = metrics.lineSpacing();
    ascent = metrics.ascent();
    return true;
}

void QtPrinterControl::PrintLine(const TextLine &line) {
    if (!failure.isEmpty() || (!painter.isActive() && !startDocument()))
        return;
    const qreal pageHeight = printer->pageRect(QPrinter::DevicePixel).height();
    if (nextLineTop > 0 && nextLineTop + lineHeight > pageHeight) {
        if (!printer->newPage()) {
            failure = QStringLiteral("The printer did not start a new page.");
            return;
        }
        nextLineTop = 0;
    }
    for (const TextRun &run : line.runs)
        painter.drawText(QPointF((run.column - 1) * characterWidth, nextLineTop + ascent), run.text);
    nextLineTop += lineHeight;
}

QString QtPrinterControl::EndDoc() {
    QString result = failure;
    if (painter.isActive() && !painter.end() && result.isEmpty())
        result = QStringLiteral("The printer did not finish the document.");
    failure.clear();
    nextLineTop = 0;
    return result;
}
