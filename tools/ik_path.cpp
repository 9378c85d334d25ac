#include "tools/ik_path.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "controller/commands.h"
#include "footpath/path_export.h"
#include "footpath/path_sampling.h"
#include "text/number_text.h"
#include "text/output_buffer.h"
#include "tools/exit_status.h"
#include "tools/ik_text.h"
#include "tools/large_output.h"

namespace {

const int kMaxStepMs = 3600000;
const uint64_t kReportedSamples = 20;
// A million samples of three joints and their pulses is some 12 MB of
// flash: more than the largest hobby boards hold.
const uint64_t kMostHeaderSamples = 1000000;

bool ParseStep(const char* text, int& stepMs) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    bool digits = *text >= '0' && *text <= '9';
    if (!digits || *end != '\0' || errno != 0 || value < 1 || value > kMaxStepMs) return false;
    stepMs = static_cast<int>(value);
    return true;
}

// One line on standard error for each of the first samples out of reach,
// then how many more there were.
class ReachReport {
public:
    explicit ReachReport(const std::string& pathFile) : pathFile(pathFile) {}

    void Tell(const SolvedSample& sample) {
        if (++count > kReportedSamples) return;
        char line[256];
        char* p = line;
        p = WriteDoubleText(p, sample.target.tMs);
        std::string t(line, p);
        std::fprintf(stderr, "%s: t=%s ms (%s, %s, %s) is out of reach\n", pathFile.c_str(), t.c_str(),
                     FloatText(sample.target.x).c_str(), FloatText(sample.target.y).c_str(),
                     FloatText(sample.target.z).c_str());
    }

    uint64_t Finish() const {
        if (count > kReportedSamples) {
            std::fprintf(stderr, "%s: %llu more samples out of reach, %llu in all\n", pathFile.c_str(),
                         static_cast<unsigned long long>(count - kReportedSamples),
                         static_cast<unsigned long long>(count));
        }
        return count;
    }

private:
    std::string pathFile;
    uint64_t count = 0;
};

// How long a sample's line is, about: the time and target, the angles and
// each servo's pulse for CSV; a group move of every channel for SSC-32.
double BytesPerSample(const LegDescription& leg, PathFormat format) {
    int servos = 0;
    for (const auto& servo : leg.servos) servos += servo ? 1 : 0;
    switch (format) {
    case PathFormat::Csv: return 44 + 6.0 * servos;
    case PathFormat::Ssc32: return 8 + 9.0 * servos;
    case PathFormat::Header: return 14 + 6.0 * servos;
    }
    return 0;
}

// The export is sized before anything is written. A header past what any
// board's flash holds is refused outright.
bool SizeAllowed(const LegDescription& leg, const PathOptions& options, const PathSpan& span) {
    if (options.format == PathFormat::Header && span.samples > kMostHeaderSamples) {
        std::fprintf(stderr, "tavrin-ik: %s gives %llu samples; a header holds at most %llu, more than any board's "
                             "flash takes (a larger --step gives fewer)\n",
                     options.pathFile.c_str(), static_cast<unsigned long long>(span.samples),
                     static_cast<unsigned long long>(kMostHeaderSamples));
        return false;
    }
    const std::string refusal =
        LargeOutputRefusal(span.samples, "samples", BytesPerSample(leg, options.format), options.yesLarge);
    if (refusal.empty()) return true;
    std::fprintf(stderr, "tavrin-ik: %s: %s\n", options.pathFile.c_str(), refusal.c_str());
    return false;
}

}  // namespace

bool ParsePathOptions(int argc, char** argv, PathOptions& options, std::string& error) {
    bool havePath = false;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--step" || arg == "--format" || arg == "--only") {
            if (i + 1 >= argc) {
                error = arg + (arg == "--step" ? " needs MS" : arg == "--only" ? " needs us" : " needs csv, ssc32 or header");
                return false;
            }
            const char* value = argv[++i];
            if (arg == "--only") {
                if (std::strcmp(value, "us") != 0) {
                    error = "--only takes us (the pulse widths alone), not " + Quote(value);
                    return false;
                }
                options.pulsesOnly = true;
            } else if (arg == "--step") {
                if (!ParseStep(value, options.stepMs)) {
                    error = "--step takes whole milliseconds from 1 to " + std::to_string(kMaxStepMs) + ", not " +
                            Quote(value);
                    return false;
                }
            } else if (std::strcmp(value, "csv") == 0) {
                options.format = PathFormat::Csv;
            } else if (std::strcmp(value, "ssc32") == 0) {
                options.format = PathFormat::Ssc32;
            } else if (std::strcmp(value, "header") == 0) {
                options.format = PathFormat::Header;
            } else {
                error = "--format takes csv, ssc32 or header, not " + Quote(value);
                return false;
            }
        } else if (arg == kYesLargeOption) {
            options.yesLarge = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option: " + Quote(argv[i]);
            return false;
        } else if (havePath) {
            error = "unexpected argument: " + Quote(argv[i]);
            return false;
        } else {
            options.pathFile = arg;
            havePath = true;
        }
    }
    if (!havePath) {
        error = "path needs a PATHFILE";
        return false;
    }
    if (options.pulsesOnly && options.format != PathFormat::Header) {
        error = "--only us is for --format header";
        return false;
    }
    return true;
}

int RunPath(const LegDescription& leg, const char* legFile, const PathOptions& options) {
    if (options.pulsesOnly && std::none_of(leg.servos.begin(), leg.servos.end(), [](const auto& s) { return s.has_value(); })) {
        std::fprintf(stderr, "tavrin-ik: --only us needs a leg file with [servo.JOINT] sections: without servos there "
                             "are no pulse widths\n");
        return kUsageError;
    }
    if (options.format == PathFormat::Ssc32 && !HasChannels(leg)) {
        std::fprintf(stderr, "tavrin-ik: --format ssc32 needs a leg file whose [servo.JOINT] sections give a "
                             "channel\n");
        return kUsageError;
    }
    // The whole file is checked before the first byte goes out, so that a
    // bad row is refused with nothing on standard output, and the header
    // knows its sample count.
    PathSpan span;
    std::string error;
    if (!ScanPath(options.pathFile, options.stepMs, span, error)) {
        std::fprintf(stderr, "tavrin-ik: %s\n", error.c_str());
        return kUsageError;
    }
    if (!SizeAllowed(leg, options, span)) return kUsageError;
    ReachReport report(options.pathFile);
    UnreachableSink tell = [&](const SolvedSample& sample) { report.Tell(sample); };
    OutputBuffer out(stdout);
    bool exported = false;
    switch (options.format) {
    case PathFormat::Csv: exported = ExportPathCsv(options.pathFile, options.stepMs, leg, out, tell, error); break;
    case PathFormat::Header:
        exported = ExportPathHeader(HeaderSources{legFile ? legFile : "", options.pathFile, options.pulsesOnly},
                                    options.stepMs, leg, span, out, tell, error);
        break;
    case PathFormat::Ssc32: exported = ExportSsc32(options.pathFile, options.stepMs, leg, out, tell, error); break;
    }
    bool written = out.Flush();
    uint64_t unreachable = report.Finish();
    if (!exported) {
        // The file changed between the check and the export.
        std::fprintf(stderr, "tavrin-ik: %s\n", error.c_str());
        return kUsageError;
    }
    if (!written) return kWriteError;
    return unreachable > 0 ? kOutOfReach : 0;
}
