#pragma once

#include <QByteArray>

class Form1;

// Puts four reading blocks, written as hex, where a realtime answer carries them in the window's
// frame buffer.
void loadRealtimePayload(Form1 &form, const QByteArray &hex);

// The same, then handled as the realtime answer it is.
void receiveRealtimeAnswer(Form1 &form, const QByteArray &hex);
