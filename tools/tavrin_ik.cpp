// tavrin-ik: the leg's numbers without the window.
//   tavrin-ik [--leg FILE] solve X Y Z          one JSON line for the foot target
//   tavrin-ik [--leg FILE] sweep Z              the reachable grid points at depth Z
//   tavrin-ik [--leg FILE] sweep --count Z...   the number of those points per depth
//   tavrin-ik [--leg FILE] path PATHFILE ...    a foot path sampled, solved and exported
//   tavrin-ik --leg FILE [--port PATH] send X Y Z   solve and send the pose to the leg's controller
//   tavrin-ik --leg FILE [--port PATH] probe        whether the controller answers
//   tavrin-ik [--leg FILE] workspace [...]      the whole 3-D workspace (ik_workspace.h)
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "kinematics/grid.h"
#include "kinematics/ik_solver.h"
#include "kinematics/leg_description.h"
#include "kinematics/sweep.h"
#include "legfile/leg_file.h"
#include "tools/exit_status.h"
#include "tools/ik_calibrate.h"
#include "tools/ik_controller.h"
#include "tools/ik_path.h"
#include "tools/ik_solve_line.h"
#include "tools/ik_text.h"
#include "tools/ik_workspace.h"

namespace {

const char kUsage[] =
    "usage: tavrin-ik [--leg FILE] solve X Y Z\n"
    "       tavrin-ik [--leg FILE] sweep [--header] Z\n"
    "       tavrin-ik [--leg FILE] sweep --count Z [Z ...]\n"
    "       tavrin-ik [--leg FILE] path PATHFILE [--step MS] [--format csv|ssc32|header]\n"
    "                 [--only us] [--yes-large]\n"
    "       tavrin-ik --leg FILE [--port PATH] [--baud RATE] send X Y Z\n"
    "       tavrin-ik --leg FILE [--port PATH] [--baud RATE|auto] probe\n"
    "       tavrin-ik --leg FILE [--port PATH] [--baud RATE] jog JOINT US\n"
    "       tavrin-ik [--leg FILE] calibrate JOINT A1=U1 A2=U2 [--stops U_SMALL,U_LARGE] [--write]\n"
    "       tavrin-ik [--leg FILE] workspace [--step S] [--format count|ply|csv] [--margin]\n"
    "                 [--up y|z] [--yes-large]\n"
    "       tavrin-ik --help\n"
    "\n"
    "solve  prints the servo angles and knee position for the foot target (X, Y, Z)\n"
    "       in model units as one line of JSON; y points down, z is the depth.\n"
    "       With a leg file whose [servo.JOINT] sections say how the servos are\n"
    "       mounted, a target in range also gets \"servo\": each such joint's servo\n"
    "       degrees and pulse width in microseconds.\n"
    "sweep  prints every reachable grid point at depth Z as one 'x,y' line (after\n"
    "       a header line x,y with --header), or with --count only how many there\n"
    "       are, one line per depth.\n"
    "path   samples the foot path in PATHFILE (CSV: t_ms,x,y,z) every MS milliseconds\n"
    "       (default 20; the last row always), solves every sample and writes CSV\n"
    "       (t_ms,x,y,z,reachable,yaw,hip,knee and the servos' pulse widths),\n"
    "       SSC-32 group moves, or a C header of pulse widths and degrees (in flash\n"
    "       on AVR; --only us: the pulse widths alone, for a small board).\n"
    "       A sample out of reach keeps the last reachable pose and gets one line\n"
    "       on standard error (at most 20, then a count), and the exit status is 3.\n"
    "send   solves like solve, sends that pose to the leg file's [controller]\n"
    "       (each [servo.JOINT] with a channel), waits until it has gone out and\n"
    "       prints the solve line with \"sent\": the SSC-32 text, or the Maestro's\n"
    "       bytes as hex pairs. A target out of range is printed, not sent.\n"
    "probe  asks the controller whether it is there and prints one JSON line,\n"
    "       {\"answered\":true,\"errors\":0} or {\"answered\":false}. With\n"
    "       --baud auto (ssc32) it tries 9600, 38400 and 115200 and says which.\n"
    "jog    sends that one joint's servo the pulse US (the others nothing) and prints\n"
    "       {\"joint\":...,\"us\":...,\"sent\":...}, to find by hand the pulse that puts the\n"
    "       real joint where the model's is.\n"
    "calibrate  fits the joint's servo from two marks, each a whole model angle and\n"
    "       the pulse that puts the real joint there, and with --stops the range one\n"
    "       degree inside the pulses at which the joint stops at its smallest and\n"
    "       largest angle; prints the [servo.JOINT] (and [JOINT]) lines, and with\n"
    "       --write writes the changed values into the leg file (the old one kept as\n"
    "       FILE.bak), every other byte as it was.\n"
    "workspace  the whole 3-D workspace: every point of a grid whose x, y and z\n"
    "       each run from -R in steps of S (R = upper + lower) that the foot reaches.\n"
    "       --format count (the default) prints one JSON line: points, step, slices,\n"
    "       volume (points x S^3); ply writes a binary PLY cloud, csv 'x,y,z' lines.\n"
    "       --margin adds each point's joint margin, the fewest degrees any joint\n"
    "       has to its end stop: a histogram for count, a margin and the window's\n"
    "       colour for each vertex of ply, a fourth column for csv. S defaults to\n"
    "       R/500 for count, R/100 for ply and csv.\n"    "       --up y writes the points y-up as (x, -y, -z), --up z z-up as (x, z, -y);\n"
    "       without it they are in the window's frame, y pointing down.\n"
    "--leg FILE  the leg to solve, described in TOML (segment lengths, joint\n"
    "       ranges, servos; see legs/example.toml); without it the default leg:\n"
    "       upper 10, lower 15, every joint 0..180.\n"
    "--port PATH, --baud RATE  the port and baud rate instead of the leg file's.\n"
    "--yes-large  writes a path or cloud of more than 100000000 samples or\n"
    "       vertices, or about 2 GB; without it such an output is refused with its\n"
    "       count and size before anything is written. A header holds at most\n"
    "       1000000 samples.\n"
    "\n"
    "Numbers are read as the nearest 32-bit float; one beyond the float range is\n"
    "refused. Floats are written in the shortest text that reads back the same,\n"
    "and a float that is not finite (a distance beyond the float range) as null,\n"
    "so that every line of solve is valid JSON.\n"
    "Exit status: 0 done, 1 the output could not be written (or, for send, the\n"
    "port; for probe, no answer), 2 bad arguments, a bad leg or path file or a\n"
    "port that cannot be opened, 3 send's target is out of range, or a path\n"
    "sample out of reach.\n";


// One line naming what is wrong; the whole usage is a --help away.
int UsageError(const std::string& message) {
    std::fprintf(stderr, "tavrin-ik: %s (see tavrin-ik --help)\n", message.c_str());
    return kUsageError;
}

int Solve(const LegDescription& leg, const std::vector<float>& v) {
    LegPose pose;
    pose.SetTarget(D3DXVECTOR3(v[0], v[1], v[2]));
    IKSolver IK = leg.Solver();
    IK.Solve(pose);
    std::fputs((SolveLine(leg, pose, IK.outOfRange) + "\n").c_str(), stdout);
    return 0;
}

int Sweep(const LegDescription& leg, float depth, bool header) {
    PointList points;
    FastSweep(leg, depth, points);
    std::string out;
    out.reserve(points.size() * 24);
    if (header) out += "x,y\n";
    for (const D3DXVECTOR3& p : points) {
        out += FloatText(p.x);
        out += ',';
        out += FloatText(p.y);
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

// Counts without building the lists that a count never reads.
int SweepCounts(const LegDescription& description, const std::vector<float>& depths) {
    const std::vector<float> grid = GridSamples(description.Reach());
    for (float depth : depths) std::printf("%zu\n", FastSweepCount(description, depth, grid));
    return 0;
}

int Run(int argc, char** argv) {
    LegSetup setup;
    LegDescription& leg = setup.leg;
    const char* legFile = nullptr;
    // The leg comes before the command, once: drop it from the arguments.
    if (argc >= 2 && std::strcmp(argv[1], "--leg") == 0) {
        if (argc < 3) return UsageError("--leg needs a FILE");
        if (argc >= 4 && std::strcmp(argv[3], "--leg") == 0) return UsageError("--leg given twice");
        std::string error;
        if (!ReadLegFile(argv[2], setup, error)) {
            std::fprintf(stderr, "tavrin-ik: %s\n", error.c_str());
            return kUsageError;
        }
        legFile = argv[2];
        argv += 2;
        argc -= 2;
    }
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--leg") == 0) {
            return UsageError("--leg goes before the command: tavrin-ik --leg FILE " + std::string(argv[1]) + " ...");
        }
    }
    if (argc < 2) return UsageError("missing command");
    std::string command = argv[1];
    if (command == "--help" || command == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (IsControllerCommand(argc - 1, argv + 1)) return RunControllerCommand(setup, argc - 1, argv + 1);
    if (std::strcmp(argv[1], "calibrate") == 0) return RunCalibrate(setup, legFile, argc - 2, argv + 2);
    std::vector<float> numbers;
    std::string error;
    if (command == "solve") {
        if (argc < 5) return UsageError("solve needs X Y Z");
        if (argc > 5) return UsageError("unexpected argument: " + Quote(argv[5]));
        if (!ParseNumbers(argv + 2, 3, numbers, error)) return UsageError(error);
        return Solve(leg, numbers);
    }
    if (command == "sweep") {
        bool count = argc > 2 && std::strcmp(argv[2], "--count") == 0;
        bool header = argc > 2 && std::strcmp(argv[2], "--header") == 0;
        int first = count || header ? 3 : 2;
        for (int i = first; i < argc; ++i) {
            if (std::strncmp(argv[i], "--", 2) == 0) return UsageError("unknown option: " + Quote(argv[i]));
        }
        if (argc <= first) return UsageError("sweep needs a depth Z");
        if (!count && argc > first + 1) return UsageError("unexpected argument: " + Quote(argv[first + 1]));
        if (!ParseNumbers(argv + first, argc - first, numbers, error)) return UsageError(error);
        return count ? SweepCounts(leg, numbers) : Sweep(leg, numbers[0], header);
    }
    if (command == "path") {
        PathOptions options;
        if (!ParsePathOptions(argc - 2, argv + 2, options, error)) return UsageError(error);
        return RunPath(leg, legFile, options);
    }
    if (command == "workspace") {
        int status = Workspace(leg, argc - 2, argv + 2, error);
        return status == kUsageError ? UsageError(error) : status;
    }
    if (command.size() > 1 && command[0] == '-') return UsageError("unknown option: " + Quote(argv[1]));
    return UsageError("unknown command: " + Quote(argv[1]));
}

}  // namespace

// Whatever was printed must have reached its destination: a full disk or a
// closed output is a failure, not a success that wrote nothing. A refused
// command printed nothing there, so its output is not judged.
int FinishOutput(int status) {
    if (status == kUsageError) return status;
    bool failed = std::fflush(stdout) != 0 || std::ferror(stdout);
    int error = errno;
    if (std::fclose(stdout) != 0 && !failed) {
        failed = true;
        error = errno;
    }
    if (!failed) return status;
    std::fprintf(stderr, "tavrin-ik: cannot write the output: %s\n", std::strerror(error));
    return status == 0 ? kWriteError : status;
}

int main(int argc, char** argv) {
#ifdef SIGPIPE
    // A reader that goes away is a failed write like any other: status 1
    // and one line, never death by a signal.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    return FinishOutput(Run(argc, argv));
}
