#pragma once

#include <QString>
#include <QStringList>

// The device behind port number n (1..16), or an empty string when there is none.
// Windows: "COMn". Elsewhere: $POWERCLAMP_COMn when set, else the n-th serial port by name.
QString portDeviceName(int portNumber);

// Device names in port order: by name, with numbers compared as numbers (ttyS2 before ttyS10).
QStringList inPortOrder(QStringList devices);
