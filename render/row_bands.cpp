#include "render/row_bands.h"

#include <algorithm>
#include <climits>

#include "parallel/worker_pool.h"
#include "platform/win32.h"

namespace {

// Below this many points a band costs more to hand out than to plot.
constexpr size_t kLeastPointsToShare = 16384;
constexpr size_t kBandsPerThread = 4;

}  // namespace

bool CutIntoRowBands(HDC dc, const D3DXVECTOR3* points, size_t count, PixelAxis down, const WorkerPool& pool,
                     std::vector<RowBand>& bands) {
    bands.clear();
    const size_t threads = static_cast<size_t>(pool.Threads());
    if (!TAVRIN_PIXELS_FROM_MANY_THREADS || threads < 2 || count < kLeastPointsToShare) return false;
    // Only a memory DC's pixels are plain stores; a window's tell its
    // window of each change.
    if (GetObjectType(dc) != OBJ_MEMDC) return false;
    const size_t pieces = kBandsPerThread * threads;
    std::vector<size_t> starts{0};
    for (size_t k = 1; k < pieces; ++k) {
        size_t i = std::max(count * k / pieces, starts.back() + 1);
        while (i < count && down.Pixel(points[i].y) == down.Pixel(points[i - 1].y)) ++i;
        if (i >= count) break;
        starts.push_back(i);
    }
    if (starts.size() < 2) return false;
    std::vector<int> rows;
    for (size_t start : starts) rows.push_back(down.Pixel(points[start].y));
    const bool rising = rows[1] > rows[0];
    for (size_t k = 1; k < rows.size(); ++k) {
        if (rising ? !(rows[k] > rows[k - 1]) : !(rows[k] < rows[k - 1])) return false;
    }
    // Each band owns the rows from its first one up to the next band's
    // first, that one excluded; the last band all beyond.
    const size_t last = starts.size() - 1;
    for (size_t k = 0; k <= last; ++k) {
        const size_t to = k < last ? starts[k + 1] : count;
        RowBand band{starts[k], to, 0, 0, rising};
        if (rising) {
            band.low = rows[k];
            band.high = k < last ? rows[k + 1] - 1 : INT_MAX;
        } else {
            band.high = rows[k];
            band.low = k < last ? rows[k + 1] + 1 : INT_MIN;
        }
        bands.push_back(band);
    }
    return true;
}
