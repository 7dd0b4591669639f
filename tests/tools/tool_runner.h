#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

struct RunResult
{
    int status = -1;
    std::string out; // stdout and stderr
};

// Runs a tool with arguments through the shell and collects its output.
inline RunResult RunTool(const char* tool, const std::string& arguments)
{
    RunResult result;
    const std::string command = std::string(tool) + " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.out.append(buffer, n);
    }
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}
