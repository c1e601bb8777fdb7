#pragma once

#include "app/Platform.h"
#include "support/FakeSerialControl.h"
#include "support/TemporarySettings.h"
#include "support/VirtualClock.h"

#include <functional>
#include <vector>

class ScriptedDialog;
class RecordingPrinter;

// The platform of the unit tests: virtual time, a fake port, recorded message boxes.
// Declare it before the Form1 that uses it, so it outlives the window.
class FakePlatform final : public Platform {
public:
    std::unique_ptr<TimerControl> createTimer() override { return clock.createTimer(); }
    std::unique_ptr<SerialControl> createSerialControl() override;
    std::unique_ptr<CommonDialog> createCommonDialog(QWidget *owner) override;
    std::unique_ptr<PrinterControl> createPrinter() override;
    std::unique_ptr<QSettings> createSettings() override { return settings.create(); }
    // The wall clock starts at wallClockStart and follows the virtual clock; setting
    // wallClockStep moves it (a clock set back or forward) without moving the virtual clock.
    QDateTime currentDateTime() const override { return wallClockStart.addMSecs(clock.now() + wallClockStep); }
    int64_t monotonicMs() const override { return clock.now(); }
    void MsgBox(QWidget *owner, const MessageBoxRequest &request) override;
    void Beep() override { ++beeps; }
    void End() override { ++ends; }

    VirtualClock clock;
    // Shared by every window made on this platform, as by one run after another.
    TemporarySettings settings;
    QDateTime wallClockStart = QDateTime(QDate(2026, 12, 10), QTime(9, 0), Qt::OffsetFromUTC, 3600);
    int64_t wallClockStep = 0;
    FakeSerialControl *serial = nullptr; // owned by the window
    ScriptedDialog *dialog = nullptr;    // owned by the window
    RecordingPrinter *printer = nullptr; // owned by the window
    std::vector<MessageBoxRequest> messages;
    // Runs while a message box is up, before the user closes it.
    std::function<void(const MessageBoxRequest &)> whileMsgBoxShows;
    int beeps = 0;
    int ends = 0;
};
