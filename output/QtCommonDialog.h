#pragma once

#include "output/CommonDialog.h"

#include <memory>

class QPrinter;
class QWidget;

// CommonDialog1 on Qt's file and print dialogs. The print dialog configures the printer that
// the print object then prints on, so the user's choice is where the document goes.
class QtCommonDialog final : public CommonDialog {
public:
    QtCommonDialog(QWidget *owner, std::shared_ptr<QPrinter> printer);
    int ShowSave() override;
    int ShowPrinter() override;

private:
    int cancelled() const { return CancelError ? cdlCancel : 0; }

    QWidget *owner;
    std::shared_ptr<QPrinter> printer;
};
