#pragma once

// When readings stop counting as one unbroken run: the trend's lines, the statistics' means and
// energies and the alarms' hold times all break at the same places. Times on the monotonic clock.

#include <QtGlobal>

// No answer for longer than this breaks every run: polling answers every 1.5 s, so three missed
// answers are a gap (the Record view, a download). An item the meter shows only in some answers
// is not broken by the answers without it.
constexpr qint64 GapAfterMsecs = 4500;
// An item missing from the answers for longer than this is broken too: a meter rotating its items
// shows each again within a few answers, so one gone a minute was off the display, not unchanged.
constexpr qint64 ItemGapAfterMsecs = 60 * 1000;
