#pragma once

#include "output/PrinterControl.h"

// Placeholder until printing lands.
class QtPrinterControl final : public PrinterControl {};
