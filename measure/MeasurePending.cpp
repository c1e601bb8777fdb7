// Placeholder bodies until the measurement model lands; each is replaced by its real handler.
#include "app/Form1.h"

void Form1::DisLabelInit() {}
void Form1::RealtimeDataHandle() {}
void Form1::GridInit() {}
void Form1::RecordDataHandle(uint8_t, int16_t, int16_t) {}
