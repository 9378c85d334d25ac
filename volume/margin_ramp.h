// The colours of the joint margin, shared by the window and the exported
// cloud so that both show a point alike.
//
// The ramp runs from red at an end stop through orange and yellow to the
// window's own cloud green at 30 degrees and beyond, by straight lines in
// RGB between these stops:
//   0   (230, 20, 20)    red: some joint is at its limit
//   5   (255, 120, 0)    orange
//   11  (250, 225, 40)   yellow, the brightest stop
//   19  (40, 160, 120)   a blue-leaning green
//   30  (0, 32, 20)      the cloud's green (0x142000 as a COLORREF)
// On black every stop below 30 is bright enough to read. For the common
// red-green colour blindness (protanopia, deuteranopia) red and green look
// alike in hue, so the ramp does not rest on hue alone: red to yellow rises
// steeply in lightness, and the greens carry blue, which both forms still
// see, while red, orange and yellow carry none. Margin 0 therefore stays
// apart from every margin of 10 and more under either form (the tests check
// it with the usual simulation matrices).
#pragma once

#include <cstdint>

// The margin from which on the colour no longer changes.
constexpr int kMarginRampTop = 30;

struct MarginColour {
    uint8_t red;
    uint8_t green;
    uint8_t blue;
};

// The colour of a margin in whole degrees; below 0 as 0, above 30 as 30.
MarginColour MarginRampColour(int margin);
