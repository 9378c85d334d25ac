// Seeded random storms of input through the whole program, headless: the
// program must never crash, always draw the leg for a target that solves,
// keep its joint chain at three points, and leak neither GDI objects nor
// heap.
#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "app_fixture.h"
#include "kinematics/ik_solver.h"

namespace {

size_t HeapInUse() {
    return mallinfo2().uordblks;
}

int MessageCount() {
    const char* text = std::getenv("TAVRIN_PROPERTY_MESSAGES");
    int count = text ? std::atoi(text) : 0;
    return count > 0 ? count : 100000;
}

bool SolvesInRange(const D3DXVECTOR3& t) {
    LegPose pose;
    pose.SetTarget(t);
    IKSolver IK;
    IK.Solve(pose);
    return !IK.outOfRange;
}

bool SameBits(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

class InputStorm : public AppTest {
protected:
    std::mt19937 rng;

    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

    // One random device event, or a redraw request.
    void SendRandomEvent() {
        static const int kKeys[] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_ADD, VK_SUBTRACT, VK_SPACE, 'A'};
        int kind = Uniform(0, 99);
        if (kind < 45) {
            // Anywhere in the signed 16-bit range, mostly near the window.
            bool far = Uniform(0, 9) == 0;
            int x = far ? Uniform(-32768, 32767) : Uniform(-100, 800);
            int y = far ? Uniform(-32768, 32767) : Uniform(-100, 900);
            Mouse(WM_MOUSEMOVE, x, y, app.dragging ? MK_LBUTTON : 0);
        } else if (kind < 55) {
            Mouse(WM_LBUTTONDOWN, Uniform(0, 680), Uniform(0, 800), MK_LBUTTON);
        } else if (kind < 62) {
            Mouse(WM_LBUTTONUP, Uniform(-50, 750), Uniform(-50, 850), 0);
        } else if (kind < 66) {
            Mouse(Uniform(0, 1) ? WM_RBUTTONDOWN : WM_RBUTTONUP, Uniform(0, 680), Uniform(0, 800), MK_RBUTTON);
        } else if (kind < 90) {
            // Keys go down and up in random order, so some are still held
            // when another is released. Depth keys are rarer: each rebuilds.
            int key = kKeys[Uniform(0, 7)];
            if ((key == VK_ADD || key == VK_SUBTRACT) && Uniform(0, 7) != 0) key = VK_SPACE;
            TavrinInjectKey(key, Uniform(0, 1) == 0);
        } else if (kind < 92) {
            // A burst of depth changes.
            for (int i = Uniform(1, 4); i > 0; --i) {
                int key = Uniform(0, 1) ? VK_ADD : VK_SUBTRACT;
                TavrinInjectKey(key, true);
                TavrinInjectKey(key, false);
            }
        } else {
            PostMessageA(app.hWnd, WM_REDRAW, 0, 0);
        }
    }

    void CheckInvariants() {
        ASSERT_NE(nullptr, app.leg);
        ASSERT_EQ(3u, app.leg->joints.size());
        // After a frame, the leg stands for the target if that solves, and
        // otherwise for the last one that did.
        if (SolvesInRange(app.target)) {
            ASSERT_TRUE(SameBits(app.target, app.leg->target));
            ASSERT_TRUE(SameBits(app.target, app.lastValidTarget));
        } else {
            ASSERT_TRUE(SameBits(app.lastValidTarget, app.leg->target));
            ASSERT_TRUE(SolvesInRange(app.lastValidTarget));
        }
    }

    void Storm(unsigned seed, int total) {
        rng.seed(seed);
        const int warmUp = total / 10;
        DWORD gdiBefore = 0;
        size_t heapBefore = 0;
        for (int i = 0; i < total; ++i) {
            if (i == warmUp) {
                // The lists have grown to their working size by now.
                gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
                heapBefore = HeapInUse();
            }
            SendRandomEvent();
            // Redraw after every event now and then, otherwise let a few pile up.
            if (Uniform(0, 3) == 0) {
                PostMessageA(app.hWnd, WM_REDRAW, 0, 0);
                ASSERT_TRUE(Pump());
                ASSERT_NO_FATAL_FAILURE(CheckInvariants()) << "after event " << i;
            }
        }
        PostMessageA(app.hWnd, WM_REDRAW, 0, 0);
        ASSERT_TRUE(Pump());
        ASSERT_NO_FATAL_FAILURE(CheckInvariants());
        EXPECT_EQ(gdiBefore, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
        size_t heapAfter = HeapInUse();
        // The workspace list may still grow to a slice with a few more points.
        EXPECT_LT(heapAfter, heapBefore + 512 * 1024) << "heap " << heapBefore << " -> " << heapAfter;
        RecordProperty("messages", total);
        RecordProperty("gdiObjects", static_cast<int>(gdiBefore));
        RecordProperty("heapBytes", static_cast<int>(heapAfter));
        std::printf("seed %u: %d events, GDI objects %u -> %u, heap %zu -> %zu bytes\n", seed, total,
                    static_cast<unsigned>(gdiBefore),
                    static_cast<unsigned>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)), heapBefore,
                    heapAfter);
    }
};

TEST_F(InputStorm, Seed1) { Storm(1, MessageCount()); }
TEST_F(InputStorm, Seed20261210) { Storm(20261210, MessageCount() / 5); }

}  // namespace
