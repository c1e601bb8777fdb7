#pragma once

#include "app/Platform.h"
#include "support/FakeLinkPlatform.h"

#include <functional>
#include <vector>

class ScriptedDialog;
class RecordingPrinter;

// The platform of the window's unit tests: the engine's fakes, and recorded dialogs, printing
// and message boxes. Declare it before the Form1 that uses it, so it outlives the window.
class FakePlatform final : public Platform, public FakeLinkPlatform {
public:
    std::unique_ptr<CommonDialog> createCommonDialog(QWidget *owner) override;
    std::unique_ptr<PrinterControl> createPrinter() override;
    void MsgBox(QWidget *owner, const MessageBoxRequest &request) override;
    void Beep() override { ++beeps; }
    void End() override { ++ends; }

    ScriptedDialog *dialog = nullptr;    // owned by the window
    RecordingPrinter *printer = nullptr; // owned by the window
    std::vector<MessageBoxRequest> messages;
    // Runs while a message box is up, before the user closes it.
    std::function<void(const MessageBoxRequest &)> whileMsgBoxShows;
    int beeps = 0;
    int ends = 0;
};
