#pragma once

#include "output/PrinterControl.h"

// Placeholder double until printing lands.
class RecordingPrinter final : public PrinterControl {};
