#pragma once

// Layout is designed in twips; 15 twips make one pixel at 96 dpi.
constexpr int twips(int value) { return (value + 7) / 15; }
