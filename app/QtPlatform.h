#pragma once

#include "app/Platform.h"
#include "link/QtLinkPlatform.h"

class QtPlatform final : public Platform, public QtLinkPlatform {
public:
    // The serial controls number their ports with `ports`, which outlives the platform.
    explicit QtPlatform(PortNumbering &ports) : QtLinkPlatform(ports) {}

    std::unique_ptr<CommonDialog> createCommonDialog(QWidget *owner) override;
    std::unique_ptr<PrinterControl> createPrinter() override;
    void MsgBox(QWidget *owner, const MessageBoxRequest &request) override;
    void Beep() override;
    void End() override;
};
