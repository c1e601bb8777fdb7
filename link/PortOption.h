#pragma once

// The --port N=DEVICE option, the same in every program of the project.

#include "link/PortTable.h"

#include <QCommandLineOption>

QCommandLineOption portOption();

// Takes the values of --port into devices by number; returns why one cannot be used, or an
// empty text.
QString addPortDevices(const QStringList &values, PortDevices &devices);
