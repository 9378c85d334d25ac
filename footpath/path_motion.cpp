#include "footpath/path_motion.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

void PathRecorder::Start(D3DXVECTOR3 target, int64_t nowMs) {
    recording = true;
    startMs = nowMs;
    rows.clear();
    rows.push_back(PathRow{0, target.x, target.y, target.z});
}

void PathRecorder::Add(D3DXVECTOR3 target, int64_t nowMs) {
    if (!recording) return;
    double t = std::max(static_cast<double>(nowMs - startMs), rows.back().tMs);
    rows.push_back(PathRow{t, target.x, target.y, target.z});
}

void PathRecorder::Stop(int64_t nowMs) {
    if (!recording) return;
    PathRow last = rows.back();
    if (static_cast<double>(nowMs - startMs) > last.tMs) Add(last.Target(), nowMs);
    recording = false;
}

void PathPlayer::Load(std::vector<PathRow> loaded) {
    rows = std::move(loaded);
    playing = false;
}

void PathPlayer::Start(int64_t nowMs) {
    startMs = nowMs;
    playing = !rows.empty();
}

double PathPlayer::PathTime(int64_t nowMs) const {
    return rows.front().tMs + static_cast<double>(nowMs - startMs);
}

size_t PathPlayer::RowAt(double t) const {
    auto after = std::upper_bound(rows.begin(), rows.end(), t,
                                  [](double time, const PathRow& row) { return time < row.tMs; });
    return after == rows.begin() ? 0 : static_cast<size_t>(after - rows.begin()) - 1;
}

PathPlayer::Frame PathPlayer::TargetAt(int64_t nowMs) {
    if (rows.empty()) return Frame{D3DXVECTOR3(0, 0, 0), true};
    double t = PathTime(nowMs);
    if (t >= rows.back().tMs) {
        playing = false;
        return Frame{rows.back().Target(), true};
    }
    size_t i = RowAt(t);
    return Frame{PointBetween(rows[i], rows[i + 1], t).Target(), false};
}

int64_t PathPlayer::NextChangeMs(int64_t nowMs, int64_t frameMs) const {
    if (!playing || rows.empty()) return -1;
    double t = PathTime(nowMs);
    if (t >= rows.back().tMs) return -1;
    size_t i = RowAt(t);
    const PathRow& a = rows[i];
    const PathRow& b = rows[i + 1];
    // Whole ms on the clock, rounded up so that the wake-up is not early.
    int64_t segmentEnd = startMs + static_cast<int64_t>(std::ceil(b.tMs - rows.front().tMs));
    bool still = a.x == b.x && a.y == b.y && a.z == b.z;
    return still ? segmentEnd : std::min(nowMs + frameMs, segmentEnd);
}
