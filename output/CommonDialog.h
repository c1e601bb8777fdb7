#pragma once

#include <QString>

// Error number of a dialog the user cancelled while CancelError was set.
constexpr int cdlCancel = 32755;
// Printer dialog flags: return a device context, and no page range.
constexpr int cdlPDReturnDC = 256;
constexpr int cdlPDNoPageNums = 8;

// The one dialog control shared by both save dialogs and the printer dialog. Its properties
// keep their values from one use to the next, as the save and print commands rely on.
class CommonDialog {
public:
    virtual ~CommonDialog() = default;

    QString FileName;
    QString Filter; // "description|pattern|description|pattern|"
    int FilterIndex = 0;
    QString DefaultExt;
    QString InitDir;
    bool CancelError = false;
    int Flags = 0;
    // Whether a save dialog asks before taking a file that exists; off where the file is
    // appended to rather than replaced.
    bool OverwritePrompt = true;

    // Each returns an error number: 0 when confirmed, cdlCancel when cancelled with
    // CancelError set, anything else for a failing dialog (errorDescription says why).
    // A confirmed save dialog leaves the chosen path in FileName and the chosen type in FilterIndex.
    virtual int ShowSave() = 0;
    virtual int ShowPrinter() = 0;
    QString errorDescription;
};
