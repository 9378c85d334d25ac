#include "app/motion.h"

#include <cstdio>
#include <ctime>

#include "footpath/path_file.h"

namespace {

// A played path is held whole: a million rows are 24 MB.
const size_t kMostPlayRows = 1000000;

std::string FileForRecording(const AppState& state) {
    if (!state.recordFile.empty()) return state.recordFile;
    // One thread asks, so the shared result of localtime is safe to copy.
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (const std::tm* found = std::localtime(&now)) local = *found;
    return UnusedPathFileName(local);
}

// Saves the kept recording; on failure the rows stay, and the title says
// how to try again or let them go.
bool SaveRecording(AppState& state, std::string& file, std::string& error) {
    file = FileForRecording(state);
    const size_t rows = state.recorder.Rows().size();
    if (WritePathFile(file, state.recorder.Rows(), error)) {
        state.recordingUnsaved = false;
        state.pathNote = "saved " + file + " (" + std::to_string(rows) + " rows)";
        return true;
    }
    state.recordingUnsaved = true;
    state.pathNote = "not saved: " + error + "; R tries again, Backspace discards";
    return false;
}

}  // namespace

void ToggleRecording(AppState& state) {
    const int64_t now = state.Now();
    if (state.recorder.Recording()) {
        state.recorder.Stop(now);
        std::string file, error;
        SaveRecording(state, file, error);
        return;
    }
    // A recording that could not be saved is never dropped by starting
    // another: R tries the save again.
    if (state.recordingUnsaved) {
        std::string file, error;
        SaveRecording(state, file, error);
        return;
    }
    state.player.Stop();
    state.recorder.Start(state.target, now);
    state.pathNote = "recording";
}

void DiscardRecording(AppState& state) {
    if (!state.recordingUnsaved || state.recorder.Recording()) return;
    state.recordingUnsaved = false;
    state.pathNote = "recording discarded";
}

void SaveRecordingAtExit(AppState& state) {
    if (state.recorder.Recording()) {
        state.recorder.Stop(state.Now());
    } else if (!state.recordingUnsaved) {
        return;
    }
    const std::string rows = std::to_string(state.recorder.Rows().size());
    std::string file, error;
    // Closing the window is no time to lose what was recorded: it is saved,
    // and standard error says where (or why not).
    if (SaveRecording(state, file, error)) {
        std::fprintf(stderr, "tavrin: the recording was saved to %s (%s rows)\n", file.c_str(), rows.c_str());
    } else {
        std::fprintf(stderr, "tavrin: the recording could not be saved: %s\n", error.c_str());
    }
}

void RecordTarget(AppState& state) {
    if (state.recorder.Recording()) state.recorder.Add(state.target, state.Now());
}

void StartPlayback(AppState& state) {
    if (state.recorder.Recording()) return;
    if (!state.recorder.Rows().empty()) state.player.Load(state.recorder.Rows());
    if (!state.player.Loaded()) {
        state.pathNote = "nothing to play: R records, --play FILE loads a path";
        return;
    }
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
    if (!ReadPathFile(path, rows, error, kMostPlayRows)) {
        if (error == path + ": more than " + std::to_string(kMostPlayRows) + " rows") {
            error += ", more than the window plays (tavrin-ik path exports a path of any length)";
        }
        return false;
    }
    state.player.Load(std::move(rows));
    return true;
}
