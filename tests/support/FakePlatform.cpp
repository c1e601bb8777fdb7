#include "support/FakePlatform.h"

#include "support/RecordingPrinter.h"
#include "support/ScriptedDialog.h"

std::unique_ptr<CommonDialog> FakePlatform::createCommonDialog(QWidget *) {
    auto scripted = std::make_unique<ScriptedDialog>();
    dialog = scripted.get();
    return scripted;
}

std::unique_ptr<PrinterControl> FakePlatform::createPrinter() {
    auto recording = std::make_unique<RecordingPrinter>();
    printer = recording.get();
    return recording;
}

void FakePlatform::MsgBox(QWidget *, const MessageBoxRequest &request) {
    messages.push_back(request);
    if (whileMsgBoxShows)
        whileMsgBoxShows(request);
}
