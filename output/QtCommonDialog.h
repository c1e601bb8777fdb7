#pragma once

#include "output/CommonDialog.h"

class QWidget;

// Placeholder until saving and printing land.
class QtCommonDialog final : public CommonDialog {
public:
    explicit QtCommonDialog(QWidget *owner) : owner(owner) {}
    int ShowSave() override { return cdlCancel; }
    int ShowPrinter() override { return cdlCancel; }

private:
    QWidget *owner;
};
