// Recording the foot's moves (R) and playing a path back (P). Recording
// keeps a row for every requested target change; stopping saves the rows
// to a file (written to a temporary name and renamed). Playing moves the
// target along the path at its own timing, on the loop's turns, never by
// waiting: the loop looks again when the next change is due.
#pragma once

#include <string>

#include "app/app_state.h"

// R: starts a recording, or stops the one running and saves it. A
// recording whose save failed is kept: R then tries the save again, and a
// new recording starts only once it is saved or discarded.
void ToggleRecording(AppState& state);
// Backspace: lets a recording that could not be saved go.
void DiscardRecording(AppState& state);
// The window closes: a recording running or kept unsaved is saved, and
// standard error says where.
void SaveRecordingAtExit(AppState& state);
// A requested target change, for the recording when one runs.
void RecordTarget(AppState& state);

// P: plays the last recording, or else the --play path; with neither the
// title says so.
void StartPlayback(AppState& state);
// Any key or button during playback ends it where it is.
void StopPlayback(AppState& state);

// What the player asks for at this turn of the loop: a new target, and
// whether its depth changed. False when nothing is playing or nothing moved.
struct PlaybackStep {
    bool moved = false;
    bool depthChanged = false;
};
PlaybackStep AdvancePlayback(AppState& state);

// Reads the --play file; false with a one-line error naming the file and line.
bool LoadPlayFile(AppState& state, const std::string& path, std::string& error);
