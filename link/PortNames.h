#pragma once

#include <QString>

// The device behind port number n (1..16), or an empty string when there is none.
// Windows: "COMn". Elsewhere: $POWERCLAMP_COMn when set, else the n-th serial port by name.
QString portDeviceName(int portNumber);
