#pragma once

#include "output/CommonDialog.h"

// Placeholder double until saving and printing land: every dialog is cancelled.
class ScriptedDialog final : public CommonDialog {
public:
    int ShowSave() override { return cdlCancel; }
    int ShowPrinter() override { return cdlCancel; }
};
