#include "support/ScriptedDialog.h"

int ScriptedDialog::answer(const QString &kind) {
    shown.push_back(
        {kind, FileName, Filter, DefaultExt, InitDir, FilterIndex, CancelError, Flags, OverwritePrompt});
    const DialogAnswer next = script.empty() ? DialogAnswer::cancel() : script.front();
    if (!script.empty())
        script.pop_front();
    if (next.error == cdlCancel)
        return CancelError ? cdlCancel : 0;
    if (next.error != 0) {
        errorDescription = next.description;
        return next.error;
    }
    if (kind == QLatin1String("save")) {
        FileName = next.fileName;
        FilterIndex = next.filterIndex;
    }
    return 0;
}
