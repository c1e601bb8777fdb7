// Placeholder bodies until the meter link lands; each is replaced by its real handler.
#include "app/Form1.h"

void Form1::ComOpen(int16_t) {}
void Form1::Timer_findcom_Timer() {}
void Form1::SendCommand(uint8_t, uint8_t, int16_t, int16_t, uint8_t) {}
void Form1::MSComm1_OnComm() {}
void Form1::FrameHandle() {}
void Form1::Timer_real_Timer() {}
void Form1::Button_read_Click() {}
void Form1::Timer_read_Timer() {}
void Form1::Timer_timeout_Timer() {}
