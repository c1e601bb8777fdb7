// The value panel: four realtime reading blocks shown as item and value captions.
#include "app/Form1.h"

#include "measure/ShownReadings.h"

#include <QLabel>

namespace {

constexpr int ItemLabelWidth = 6;

} // namespace

void Form1::RealtimeDataHandle() {
    const QString blank(5, u' ');
    for (size_t row = 0; row < Lab_value.size(); ++row) {
        uint8_t *block = state.RxFrame.data() + PayloadOffset + ReadingBlockSize * row;
        if (isEmptyBlock(block)) {
            Lab_value[row]->setText(blank);
            Lab_testpro[row]->setText(blank);
            continue;
        }
        const Reading reading = decodeReading(block, state.ItemName, state.UnitName);
        Lab_value[row]->setText(shownValue(reading) + reading.unit);
        Lab_testpro[row]->setText((reading.item + u':').leftJustified(ItemLabelWidth));
    }
    KeepReadings();
}
