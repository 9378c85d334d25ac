// The reachable cloud into the workspace buffer: one SetPixel for every
// pixel that some point of the list falls on. A grid step is 0.75 pixel at
// any leg's scale (reach / 500 units at 375 / reach pixels per unit), so
// neighbouring points of a grid row often share a pixel, and every fourth
// grid row lands on the pixel row of the one before it. A pixel already set
// is not set again: the buffer ends up the same, at a quarter fewer calls.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "kinematics/leg.h"
#include "kinematics/truncate.h"
#include "platform/win32.h"

namespace {

const COLORREF kCloudColour = 0x142000;  // dark green

// Pixel columns first..last, both set.
struct Span {
    int64_t first;
    int64_t last;
};

// The sorted union of two sorted lists of spans.
void Merge(std::vector<Span>& covered, const std::vector<Span>& added, std::vector<Span>& scratch) {
    scratch.clear();
    auto a = covered.cbegin();
    auto b = added.cbegin();
    while (a != covered.cend() || b != added.cend()) {
        bool takeA = b == added.cend() || (a != covered.cend() && a->first <= b->first);
        Span next = takeA ? *a++ : *b++;
        if (!scratch.empty() && next.first <= scratch.back().last + 1) {
            scratch.back().last = std::max(scratch.back().last, next.last);
        } else {
            scratch.push_back(next);
        }
    }
    covered.swap(scratch);
}

}  // namespace

void Leg::DrawWorkspace() {
    if (!workspaceReady) return;
    // Rows come in rising y and each row in rising x, so pixel rows and the
    // columns within a row never go back.
    std::vector<Span> covered, added, scratch;
    bool haveRow = false;
    int pixelRow = 0;
    // Locals, so that the calls below do not make the compiler read them
    // again for every point.
    const D3DXVECTOR3* points = workspace.data();
    const size_t count = workspace.size();
    const float scaleX = scale.x, scaleY = scale.y, originX = origin.x, originY = origin.y;
    const HDC dc = workspaceDC;
    for (size_t i = 0; i < count;) {
        const float y = points[i].y;
        const int py = TruncateToInt(y * scaleY + originY);
        if (!haveRow || py != pixelRow) covered.clear();
        haveRow = true;
        pixelRow = py;
        added.clear();
        size_t next = 0;  // the first covered span not wholly left of the point
        int64_t previous = INT64_MIN;
        for (; i < count && points[i].y == y; ++i) {
            const int64_t px = TruncateToInt(points[i].x * scaleX + originX);
            if (px == previous) continue;
            previous = px;
            while (next < covered.size() && covered[next].last < px) ++next;
            if (next < covered.size() && covered[next].first <= px) continue;
            SetPixel(dc, static_cast<int>(px), py, kCloudColour);
            if (!added.empty() && px == added.back().last + 1) {
                added.back().last = px;
            } else {
                added.push_back(Span{px, px});
            }
        }
        Merge(covered, added, scratch);
    }
}
