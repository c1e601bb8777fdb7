#pragma once

#include "output/PrinterControl.h"

#include <QStringList>

// The print object of the tests: logs "CurrentY 500", every printed line as its characters
// ("line " + text) and "EndDoc". EndDoc answers with `refusal`, so a refusing printer is scripted.
class RecordingPrinter final : public PrinterControl {
public:
    void setCurrentY(float twips) override { log << QStringLiteral("CurrentY %1").arg(double(twips)); }
    void PrintLine(const TextLine &line) override { log << QStringLiteral("line ") + line.toString(); }
    QString EndDoc() override {
        log << QStringLiteral("EndDoc");
        return refusal;
    }

    QStringList log;
    QString refusal;
};
