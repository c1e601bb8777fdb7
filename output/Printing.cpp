// The Print command: the realtime readings or the record table, as lines of text.
#include "app/Form1.h"

#include "app/Platform.h"
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
    const TabStopWriter document = state.RealtimeView
                                       ? realtimeReadings(realtimeReadingLines(*this), TextLayout::Printout)
                                       : recordTable(gridCells(*DataGrid), TextLayout::Printout);
    if (state.RealtimeView)
        Printer->setCurrentY(500);
    for (const TextLine &line : document.lines())
        Printer->PrintLine(line);
    const QString failure = Printer->EndDoc();
    if (!failure.isEmpty())
        reportPrintingError(failure);
}

void Form1::reportPrintingError(const QString &reason) {
    platform.Beep();
    platform.MsgBox(this, {QStringLiteral("文件打印出错.\r\n") + reason, QStringLiteral("Printing Error!"),
                           QMessageBox::Warning});
}
