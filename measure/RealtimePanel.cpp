// The value panel: four realtime reading blocks shown as item and value captions.
#include "app/Form1.h"

#include <QLabel>

namespace {

constexpr int ItemLabelWidth = 6;

} // namespace

void Form1::RealtimeDataHandle(const ShownBlocks &readings) {
    const QString blank(5, u' ');
    for (size_t row = 0; row < Lab_value.size(); ++row) {
        const std::optional<ShownReading> &reading = readings[row];
        if (!reading) {
            Lab_value[row]->setText(blank);
            Lab_testpro[row]->setText(blank);
            continue;
        }
        Lab_value[row]->setText(reading->value + reading->unit);
        Lab_testpro[row]->setText((reading->item + u':').leftJustified(ItemLabelWidth));
    }
    KeepReadings(presentReadings(readings));
}
