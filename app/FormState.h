#pragma once

// The window's own part of the record its handlers share; the link's part is the engine's
// (link/LinkState.h).
struct FormState {
    bool RealtimeView = false;
};
