// Motion on the window's clock: recording the foot target as the user moves
// it, and playing a path back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "footpath/path_file.h"

// Records the foot target as the user moves it: a row for the target when
// recording starts, one for every requested change with its time from the
// start, and one when it stops, so that a replay holds the last pose as
// long as the recording did. Times are the caller's clock in whole ms.
class PathRecorder {
public:
    // Starts a new recording at the target where the foot is now; the
    // previous recording's rows are dropped.
    void Start(D3DXVECTOR3 target, int64_t nowMs);
    // A requested target change; ignored when not recording. A clock that
    // steps back gives the change the time of the row before it, so that
    // the rows always make a valid path.
    void Add(D3DXVECTOR3 target, int64_t nowMs);
    // Ends the recording, the last target held until now.
    void Stop(int64_t nowMs);

    bool Recording() const { return recording; }
    // The rows of the recording in progress, or of the last one.
    const std::vector<PathRow>& Rows() const { return rows; }

private:
    bool recording = false;
    int64_t startMs = 0;
    std::vector<PathRow> rows;
};

// Plays a path back on the caller's clock: the target at each moment, on
// the same straight lines as the sampler, and when the loop should look
// again so that it can sleep while the target holds still.
class PathPlayer {
public:
    struct Frame {
        D3DXVECTOR3 target;
        bool ended;   // the last row is reached: the target stays there
    };

    // The rows of a valid path (ReadPathFile, or a recording), at least one.
    void Load(std::vector<PathRow> rows);
    bool Loaded() const { return !rows.empty(); }
    const std::vector<PathRow>& Rows() const { return rows; }

    // Plays from the first row, which is due at nowMs.
    void Start(int64_t nowMs);
    void Stop() { playing = false; }
    bool Playing() const { return playing; }

    // The target at nowMs; once ended, the player stops.
    Frame TargetAt(int64_t nowMs);
    // The clock time at which the target next differs from the one at
    // nowMs: a frame later while it moves, the end of a hold while two rows
    // keep it still, and -1 once the path has ended or nothing plays.
    int64_t NextChangeMs(int64_t nowMs, int64_t frameMs) const;

private:
    double PathTime(int64_t nowMs) const;
    // The last row due at or before t.
    size_t RowAt(double t) const;

    std::vector<PathRow> rows;
    bool playing = false;
    int64_t startMs = 0;
};
