// Plays a path back on the caller's clock: the target at each moment, on
// the same straight lines as the sampler, and when the loop should look
// again so that it can sleep while the target holds still.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "footpath/path_row.h"

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
