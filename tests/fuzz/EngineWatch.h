#pragma once

// A listener of the engine that checks what it is told: every record a download gives must be
// the meter's record of that number, and blocks come only within a download. The fuzz target
// asks it after every event whether anything is broken.

#include "link/MeterEngine.h"

#include <QStringList>

class EngineWatch {
public:
    explicit EngineWatch(MeterEngine &engine);

    // Appends what is wrong with the engine's state now to `broken`: a request waiting
    // without its time-out.
    void checkWaits();

    // Everything found wrong so far, in words.
    QStringList broken;
    // What the listener was told last: the link connected (true) or lost.
    bool connected = false;
    int linksLost = 0;
    int realtimeAnswers = 0;
    // From a record count to the end of that download or its break.
    bool downloadOpen = false;

private:
    void checkRecords(int16_t first, const std::vector<ShownBlocks> &records);

    MeterEngine &engine;
};
