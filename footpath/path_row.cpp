#include "footpath/path_row.h"

#include <algorithm>

namespace {

// The double result can land a double rounding beyond the nearer end; held
// between the ends it also stays within the float range.
float Along(float a, float b, double f) {
    double from = a;
    double to = b;
    double point = from + (to - from) * f;
    return static_cast<float>(std::clamp(point, std::min(from, to), std::max(from, to)));
}

}  // namespace

PathRow PointBetween(const PathRow& a, const PathRow& b, double t) {
    if (t >= b.tMs || b.tMs <= a.tMs) {
        PathRow end = b;
        end.tMs = t;
        return end;
    }
    if (t <= a.tMs) {
        PathRow start = a;
        start.tMs = t;
        return start;
    }
    double f = (t - a.tMs) / (b.tMs - a.tMs);
    PathRow point;
    point.tMs = t;
    point.x = Along(a.x, b.x, f);
    point.y = Along(a.y, b.y, f);
    point.z = Along(a.z, b.z, f);
    return point;
}
