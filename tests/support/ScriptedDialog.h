#pragma once

#include "output/CommonDialog.h"

#include <deque>
#include <vector>

// What the person at the dialog does: confirm a file and type, cancel, or the dialog fails.
struct DialogAnswer {
    static DialogAnswer confirm(const QString &path = QString(), int filterIndex = 1) {
        return {0, path, filterIndex, QString()};
    }
    static DialogAnswer cancel() { return {cdlCancel, QString(), 0, QString()}; }
    static DialogAnswer fail(const QString &description) { return {28660, QString(), 0, description}; }

    int error;
    QString fileName;
    int filterIndex;
    QString description;
};

// The dialog's properties as they were when it opened.
struct DialogShown {
    QString kind; // "save" or "printer"
    QString FileName, Filter, DefaultExt, InitDir;
    int FilterIndex;
    bool CancelError;
    int Flags;
    bool OverwritePrompt;
};

// CommonDialog1 for the tests: answers from a script, first answer first, and records every
// opening. With the script used up it cancels.
class ScriptedDialog final : public CommonDialog {
public:
    int ShowSave() override { return answer(QStringLiteral("save")); }
    int ShowPrinter() override { return answer(QStringLiteral("printer")); }

    std::deque<DialogAnswer> script;
    std::vector<DialogShown> shown;

private:
    int answer(const QString &kind);
};
