// The reachable cloud into the workspace buffer: one SetPixel for every
// pixel that some point of the list falls on. A grid step is 0.75 pixel at
// any leg's scale (reach / 500 units at 375 / reach pixels per unit), so
// neighbouring points of a grid row often share a pixel; such a point is
// not set again, and the buffer ends up the same. A band of pixel rows
// starts a row afresh, so plotting bands side by side sets the same pixels.
#include <atomic>
#include <cstddef>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define TAVRIN_CLOUD_SSE2 1
#endif

#include "render/leg.h"
#include "kinematics/truncate.h"
#include "parallel/worker_pool.h"
#include "platform/win32.h"
#include "render/pixel_axis.h"
#include "render/row_bands.h"

namespace {

const COLORREF kCloudColour = 0x142000;  // dark green

#ifdef TAVRIN_CLOUD_SSE2
static_assert(sizeof(D3DXVECTOR3) == 3 * sizeof(float), "points are packed x, y, z");

// The points from `i` on that continue the row at height y, four at a
// time, while all four do: their columns are computed side by side with the
// same float steps (packed multiply and add round each lane as the scalar
// ones do, and the packed truncation gives INT_MIN for every value that
// TruncateToInt maps to INT_MIN), and a column is set when it differs from
// the one left of it. Returns the first point it did not take; `previous`
// is then the column of the point before it.
size_t PlotFourAtATime(const D3DXVECTOR3* points, size_t i, size_t count, float y, int py, PixelAxis x, int& previous,
                       HDC dc) {
    const __m128 rowY = _mm_set1_ps(y);
    const __m128 scale = _mm_set1_ps(x.scale);
    const __m128 origin = _mm_set1_ps(x.origin);
    __m128i left = _mm_cvtsi32_si128(previous);
    for (; count - i >= 4; i += 4) {
        const float* f = &points[i].x;
        const __m128 a = _mm_loadu_ps(f);      // x0 y0 z0 x1
        const __m128 b = _mm_loadu_ps(f + 4);  // y1 z1 x2 y2
        const __m128 c = _mm_loadu_ps(f + 8);  // z2 x3 y3 z3
        const __m128 ys = _mm_shuffle_ps(_mm_shuffle_ps(a, b, _MM_SHUFFLE(0, 0, 1, 1)),
                                         _mm_shuffle_ps(b, c, _MM_SHUFFLE(2, 2, 3, 3)), _MM_SHUFFLE(2, 0, 2, 0));
        if (_mm_movemask_ps(_mm_cmpeq_ps(ys, rowY)) != 0xF) break;
        const __m128 xs = _mm_shuffle_ps(_mm_shuffle_ps(a, a, _MM_SHUFFLE(3, 3, 0, 0)),
                                         _mm_shuffle_ps(b, c, _MM_SHUFFLE(1, 1, 2, 2)), _MM_SHUFFLE(2, 0, 2, 0));
        const __m128i columns = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(xs, scale), origin));
        // Each lane beside the lane left of it; lane 0 beside the point before.
        const __m128i before = _mm_or_si128(_mm_slli_si128(columns, 4), left);
        int fresh = ~_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(columns, before))) & 0xF;
        int lanes[4];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), columns);
        for (int lane = 0; lane < 4; ++lane) {
            if (fresh >> lane & 1) SetPixel(dc, lanes[lane], py, kCloudColour);
        }
        left = _mm_srli_si128(columns, 12);
        previous = lanes[3];
    }
    return i;
}
#endif

// Points [from, to) of the list, starting at the first point of a row.
// With a band, rows it does not own are left out; false if there were any.
bool PlotPoints(const D3DXVECTOR3* points, size_t from, size_t to, PixelAxis across, PixelAxis down, HDC dc,
                const RowBand* band = nullptr) {
    bool owned = true;
    for (size_t i = from; i < to;) {
        const float y = points[i].y;
        const int py = down.Pixel(y);
        if (band && !band->Owns(py)) {
            owned = false;
            for (++i; i < to && points[i].y == y; ++i) {
            }
            continue;
        }
        int previous = across.Pixel(points[i].x);
        SetPixel(dc, previous, py, kCloudColour);
        ++i;
#ifdef TAVRIN_CLOUD_SSE2
        i = PlotFourAtATime(points, i, to, y, py, across, previous, dc);
#endif
        for (; i < to && points[i].y == y; ++i) {
            const int px = across.Pixel(points[i].x);
            if (px == previous) continue;
            previous = px;
            SetPixel(dc, px, py, kCloudColour);
        }
    }
    return owned;
}

}  // namespace

// In bands of pixel rows on every core where the list comes in rows, as the
// sweeps give it; else, or should a band meet a row it does not own, on
// this thread. Either way the same pixels are set.
void Leg::DrawWorkspace() {
    if (!workspaceReady) return;
    const D3DXVECTOR3* points = workspace.data();
    const size_t count = workspace.size();
    const PixelAxis across{scale.x, origin.x}, down{scale.y, origin.y};
    const HDC dc = workspaceDC;
    WorkerPool& pool = SharedPool();
    std::vector<RowBand> bands;
    std::atomic<bool> strays{false};
    if (CutIntoRowBands(dc, points, count, down, pool, bands)) {
        pool.Run(static_cast<int>(bands.size()), [&](int k) {
            const RowBand& band = bands[k];
            if (!PlotPoints(points, band.from, band.to, across, down, dc, &band)) strays = true;
        });
        if (!strays) return;
    }
    PlotPoints(points, 0, count, across, down, dc);
}
