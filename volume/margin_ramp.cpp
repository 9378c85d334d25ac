#include "volume/margin_ramp.h"

namespace {

struct Stop {
    int margin;
    MarginColour colour;
};

const Stop kStops[] = {
    {0, {230, 20, 20}}, {5, {255, 120, 0}}, {11, {250, 225, 40}}, {19, {40, 160, 120}}, {kMarginRampTop, {0, 32, 20}},
};

// a + (b - a) * t / span to the nearest whole number, halves up. Times
// span it is a blend of two bytes, never negative, so the integer division
// of (2v + span) by 2 span rounds it.
uint8_t Blend(int a, int b, int t, int span) {
    int scaled = (a * span + (b - a) * t) * 2 + span;
    return static_cast<uint8_t>(scaled / (2 * span));
}

}  // namespace

MarginColour MarginRampColour(int margin) {
    if (margin <= 0) return kStops[0].colour;
    for (const Stop* s = kStops + 1; s != kStops + sizeof kStops / sizeof kStops[0]; ++s) {
        if (margin > s->margin) continue;
        const Stop& from = s[-1];
        const int t = margin - from.margin;
        const int span = s->margin - from.margin;
        return MarginColour{Blend(from.colour.red, s->colour.red, t, span),
                            Blend(from.colour.green, s->colour.green, t, span),
                            Blend(from.colour.blue, s->colour.blue, t, span)};
    }
    return kStops[sizeof kStops / sizeof kStops[0] - 1].colour;
}
