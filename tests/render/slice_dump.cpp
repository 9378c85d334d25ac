// Prints, for a set of legs, depths and both cloud modes, the slice's list
// and the workspace buffer's pixels as hashes, one line a case: what the
// thread-count check compares between TAVRIN_THREADS=1 and more threads.
// Also a list whose rows run backwards, which the bands refuse.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "kinematics/grid.h"
#include "render/leg.h"
#include "render/margin_drawing.h"
#include "volume/margin.h"
#include "parallel/worker_pool.h"
#include "platform/win32.h"

namespace {

constexpr int kWidth = 700, kHeight = 850;

// FNV-1a, 64 bits.
uint64_t Hash(const void* data, size_t size, uint64_t h = 1469598103934665603ull) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

uint64_t PixelHash(HDC dc) {
    uint64_t h = 1469598103934665603ull;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            h = Hash(&c, sizeof c, h);
        }
    }
    return h;
}

void Clear(HDC dc) {
    HGDIOBJ previous = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    Rectangle(dc, 0, 0, kWidth, kHeight);
    SelectObject(dc, previous);
}

}  // namespace

int main() {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, kWidth, kHeight);
    SelectObject(dc, bitmap);
    ReleaseDC(nullptr, screen);
    if (!dc || !bitmap) {
        std::fprintf(stderr, "slice_dump: no drawing context\n");
        return 1;
    }
    LegDescription longLeg;
    longLeg.upper = 40;
    longLeg.lower = 65;
    longLeg.ranges[kYawJoint] = JointRange{30, 150};
    longLeg.ranges[kHipJoint] = JointRange{10, 170};
    longLeg.ranges[kKneeJoint] = JointRange{5, 175};
    const LegDescription legs[] = {LegDescription{}, longLeg};
    std::printf("threads %d\n", SharedPool().Threads() > 1 ? 2 : 1);
    for (const LegDescription& description : legs) {
        const float reach = static_cast<float>(description.Reach());
        for (float share : {0.0f, 0.12f, -0.28f, 0.5f, 0.98f}) {
            for (bool margins : {false, true}) {
                Leg leg;
                leg.description = description;
                leg.SetOrigin(350, 425, 0);
                const float scale = 375.0f / reach;
                leg.SetScale(scale, scale, scale);
                leg.SetWorkspaceDC(dc);
                leg.SetTarget(0, 0, share * reach);
                Clear(dc);
                leg.ComputeWorkspace();
                if (margins) leg.DrawMarginWorkspace();
                else leg.DrawWorkspace();
                const PointList& w = leg.workspace;
                std::printf("leg %d/%d depth %g %s: %zu points, list %016" PRIx64 ", pixels %016" PRIx64 "\n",
                            description.upper, description.lower, share * reach, margins ? "margins" : "plain",
                            w.size(), Hash(w.data(), w.size() * sizeof w[0]), PixelHash(dc));
            }
        }
    }
    // Rows backwards: every band meets rows it does not own.
    Leg leg;
    leg.SetOrigin(350, 425, 0);
    leg.SetScale(15, 15, 15);
    leg.SetWorkspaceDC(dc);
    leg.SetTarget(0, 0, 3);
    leg.ComputeWorkspace();
    std::vector<D3DXVECTOR3> reversed(leg.workspace.rbegin(), leg.workspace.rend());
    leg.workspace.assign(reversed.begin(), reversed.end());
    Clear(dc);
    leg.DrawWorkspace();
    std::printf("rows backwards plain: pixels %016" PRIx64 "\n", PixelHash(dc));
    std::vector<uint8_t> margins;
    SliceMargins(leg.description, GridSamples(leg.description.Reach()), 3, leg.workspace, margins, &SharedPool());
    Clear(dc);
    DrawMarginCloud(dc, leg.workspace, margins, 15, 350, 15, 425, &SharedPool());
    std::printf("rows backwards margins: %016" PRIx64 ", pixels %016" PRIx64 "\n",
                Hash(margins.data(), margins.size()), PixelHash(dc));
    return 0;
}
