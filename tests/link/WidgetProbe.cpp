// Built against the engine's library alone, this must not compile: the engine links no widgets.
#include "link/MeterEngine.h"

#include <QWidget>

int main() {
    return 0;
}
