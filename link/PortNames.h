#pragma once

#include <QString>
#include <QStringList>

// The device behind port number n (1..16), or an empty string when there is none.
// Windows: "COMn". Elsewhere: $POWERCLAMP_COMn when set, else device n of the session's port table.
QString portDeviceName(int portNumber);
// Port n's device was not found at open; devices plugged in since are numbered.
void portDeviceMissing(int portNumber);

// Device names in port order: by name, with numbers compared as numbers (ttyS2 before ttyS10).
QStringList inPortOrder(QStringList devices);
