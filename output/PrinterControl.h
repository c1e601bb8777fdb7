#pragma once

// The print object: a text-drawing surface that prints lines at character columns.
class PrinterControl {
public:
    virtual ~PrinterControl() = default;
};
