// A path sampled and solved, written out for others to use: as CSV, one
// line a sample with the angles and pulse widths, or as a C header with the
// same numbers as arrays for the robot's own sketch. The file is read as
// the samples are written; the caller checks it first with ScanPath, so
// that a bad row is refused before anything is written.
#pragma once

#include <functional>
#include <string>

#include "footpath/path_sampling.h"
#include "text/output_buffer.h"

// Told of every sample out of reach, in order.
using UnreachableSink = std::function<void(const SolvedSample&)>;

// t_ms,x,y,z,reachable,yaw,hip,knee and then J_us for each joint J with a
// servo. An unreachable sample has reachable 0 and the kept pose's
// numbers; before the first reachable sample those cells are empty.
bool ExportPathCsv(const std::string& pathFile, int stepMs, const LegDescription& leg, OutputBuffer& out,
                   const UnreachableSink& unreachable, std::string& error);

// Where a header's numbers come from, named in its opening comment.
struct HeaderSources {
    std::string legFile;    // empty for the default leg
    std::string pathFile;
    bool pulsesOnly = false;  // --only us: the pulse widths alone
};

// A header that compiles as C and as C++ with <stdint.h> alone: the step,
// the sample count, the joints in order, the pulse widths of the joints
// with a servo and the degrees of every joint per sample, and whether each
// sample was reachable. A sample out of reach holds the kept pose, and
// before the first reachable sample that sample's pose; a path that never
// comes within reach is all zeros. Pulse widths are uint16_t, or uint32_t
// for a servo whose pulse goes beyond 65535 us. The arrays go to flash on
// AVR (PROGMEM) and are read through accessor functions everywhere; with
// pulsesOnly the degrees and the reached flags stay out.
bool ExportPathHeader(const HeaderSources& sources, int stepMs, const LegDescription& leg, const PathSpan& span,
                      OutputBuffer& out, const UnreachableSink& unreachable, std::string& error);

// Whether any joint has a servo on a controller channel.
bool HasChannels(const LegDescription& leg);

// One SSC-32 group move a sample, moving over the step to the sample's
// pose. Before the path first comes within reach the leg is sent to where
// it does; a path never within reach sends nothing.
bool ExportSsc32(const std::string& pathFile, int stepMs, const LegDescription& leg, OutputBuffer& out,
                 const UnreachableSink& unreachable, std::string& error);
