// The Print command: the realtime readings or the record table, as lines of text.
#include "app/Form1.h"

#include "output/CommonDialog.h"
#include "output/PrinterControl.h"
#include "output/ViewContent.h"

void Form1::Button_print_Click() {
    CommonDialog1->Flags = cdlPDReturnDC + cdlPDNoPageNums;
    CommonDialog1->CancelError = true;
    const int error = CommonDialog1->ShowPrinter();
    if (error == cdlCancel)
        return;
    if (error != 0) {
        reportPrintingError(CommonDialog1->errorDescription);
        return;
    }
    TabStopWriter document;
    if (state.RealtimeView) {
        document = realtimeReadings(realtimeReadingLines(*this), TextLayout::Printout);
        Printer->setCurrentY(500);
    } else {
        document = recordTable(gridCells(*DataGrid), TextLayout::Printout);
    }
    for (const TextLine &line : document.lines())
        Printer->PrintLine(line);
    const QString failure = Printer->EndDoc();
    if (!failure.isEmpty())
        reportPrintingError(failure);
}
