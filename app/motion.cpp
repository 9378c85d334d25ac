#include "app/motion.h"

#include <ctime>

#include "footpath/path_file.h"

namespace {

std::string FileForRecording(const AppState& state) {
    if (!state.recordFile.empty()) return state.recordFile;
    // One thread asks, so the shared result of localtime is safe to copy.
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (const std::tm* found = std::localtime(&now)) local = *found;
    return DefaultPathFileName(local);
}

}  // namespace

void ToggleRecording(AppState& state) {
    const int64_t now = state.Now();
    if (!state.recorder.Recording()) {
        state.player.Stop();
        state.recorder.Start(state.target, now);
        state.pathNote = "recording";
        return;
    }
    state.recorder.Stop(now);
    const std::string file = FileForRecording(state);
    std::string error;
    const size_t rows = state.recorder.Rows().size();
    if (WritePathFile(file, state.recorder.Rows(), error)) {
        state.pathNote = "saved " + file + " (" + std::to_string(rows) + " rows)";
    } else {
        // The rows stay in memory: P still plays them, R again saves anew.
        state.pathNote = "not saved: " + error;
    }
}

void RecordTarget(AppState& state) {
    if (state.recorder.Recording()) state.recorder.Add(state.target, state.Now());
}

void StartPlayback(AppState& state) {
    if (state.recorder.Recording()) return;
    if (!state.recorder.Rows().empty()) state.player.Load(state.recorder.Rows());
    if (!state.player.Loaded()) return;
    state.player.Start(state.Now());
    state.pathNote = "playing";
}

void StopPlayback(AppState& state) {
    if (!state.player.Playing()) return;
    state.player.Stop();
    state.pathNote.clear();
}

PlaybackStep AdvancePlayback(AppState& state) {
    PlaybackStep step;
    if (!state.player.Playing()) return step;
    PathPlayer::Frame frame = state.player.TargetAt(state.Now());
    if (frame.ended) state.pathNote.clear();
    const D3DXVECTOR3& t = frame.target;
    if (t.x == state.target.x && t.y == state.target.y && t.z == state.target.z) return step;
    step.moved = true;
    step.depthChanged = t.z != state.target.z;
    state.target = t;
    return step;
}

bool LoadPlayFile(AppState& state, const std::string& path, std::string& error) {
    std::vector<PathRow> rows;
    if (!ReadPathFile(path, rows, error)) return false;
    state.player.Load(std::move(rows));
    return true;
}
