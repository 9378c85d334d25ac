// Runs a command-line program of the build from a test through a POSIX
// shell: its exit status, standard output and standard error.
#pragma once

#include <sys/wait.h>

#include <atomic>
#include <cstdio>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/scratch_file.h"

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

// `command` is a shell command line, already quoted as needed; its standard
// error goes to a file of this process's own (ctest runs cases side by side).
inline ToolRun RunShell(const std::string& command) {
    static std::atomic<int> runs{0};
    const std::string errPath = ScratchPath("tool_stderr_" + std::to_string(runs++) + ".txt");
    ToolRun run{-1, "", ""};
    FILE* pipe = popen((command + " 2>'" + errPath + "'").c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFile(errPath);
    std::remove(errPath.c_str());
    return run;
}

#ifdef TAVRIN_IK_PATH
// tavrin-ik with these arguments, pasted into the command line as they are.
inline ToolRun RunTool(const std::string& args) {
    return RunShell(std::string("'") + TAVRIN_IK_PATH + "' " + args);
}
#endif
