// Records the foot target as the user moves it: a row for the target when
// recording starts, one for every requested change with its time from the
// start, and one when it stops, so that a replay holds the last pose as
// long as the recording did. Times are the caller's clock in whole ms.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "footpath/path_row.h"

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

// tavrin-path-YYYYMMDD-HHMMSS.csv for the local time given.
std::string DefaultPathFileName(const std::tm& local);
