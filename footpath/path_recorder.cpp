#include "footpath/path_recorder.h"

#include <algorithm>
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

std::string DefaultPathFileName(const std::tm& local) {
    char name[128];
    std::snprintf(name, sizeof name, "tavrin-path-%04d%02d%02d-%02d%02d%02d.csv", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return name;
}
