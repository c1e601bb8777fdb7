#pragma once

#include <QByteArray>

class MeterEngine;

// Puts four reading blocks, written as hex, where a realtime answer carries them in the engine's
// frame buffer.
void loadRealtimePayload(MeterEngine &engine, const QByteArray &hex);

// The same, then handled as the realtime answer it is: decoded and told to the listeners.
void receiveRealtimeAnswer(MeterEngine &engine, const QByteArray &hex);
