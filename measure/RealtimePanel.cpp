// The value panel: four realtime reading blocks shown as item and value captions.
#include "app/Form1.h"

#include "measure/ShownReadings.h"

#include <QLabel>

namespace {

constexpr int ItemLabelWidth = 6;

} // namespace

void Form1::RealtimeDataHandle() {
    // Decoded once: the panel, the trend, the log and the alarms all take these readings.
    const std::vector<ShownReading> readings =
        shownReadings(state.RxFrame.data() + PayloadOffset, state.ItemName, state.UnitName);
    ShowRealtimeReadings(readings);
    KeepReadings(readings);
}

void Form1::ShowRealtimeReadings(const std::vector<ShownReading> &readings) {
    const QString blank(5, u' ');
    std::array<const ShownReading *, 4> rows{};
    for (const ShownReading &reading : readings)
        rows.at(size_t(reading.block)) = &reading;
    for (size_t row = 0; row < Lab_value.size(); ++row) {
        if (!rows[row]) {
            Lab_value[row]->setText(blank);
            Lab_testpro[row]->setText(blank);
            continue;
        }
        Lab_value[row]->setText(rows[row]->value + rows[row]->unit);
        Lab_testpro[row]->setText((rows[row]->item + u':').leftJustified(ItemLabelWidth));
    }
}
