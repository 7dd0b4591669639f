#pragma once

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "assembler/assembler.h"
#include "common/output_text.h"
#include "simulator/code_memory.h"
#include "simulator/module_list.h"

// A folder of its own for one test, removed with it.
class CScratchDir
{
public:
    CScratchDir()
    {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("board51-test-" + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~CScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& Path() const { return path_; }
    std::string Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(path_ / name, std::ios::binary) << text;
        return (path_ / name).string();
    }
    std::string Copy(const std::filesystem::path& from) const
    {
        const auto to = path_ / from.filename();
        std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
        return to.string();
    }

private:
    std::filesystem::path path_;
};

// A program assembled in memory, with the files the assembler writes beside
// the source (copy the source somewhere the test may write first).
struct AssembledProgram
{
    COutputText output;
    CCodeMemory code;
    CModuleList modules;
    CAssembler assembler{output, code, modules};

    bool Assemble(const std::string& path)
    {
        assembler.Assemble(path);
        while (assembler.AssembleStep()) {
        }
        return assembler.GetErrorCount() == 0;
    }
    int32_t Label(const std::string& name) const
    {
        const SymbolRecord* record = assembler.Labels().Find(name);
        return record != nullptr ? record->value : -1;
    }
};

// board51 running in the background: the device it printed, stopped with it.
class CBoardProcess
{
public:
    CBoardProcess() = default;
    CBoardProcess(const CBoardProcess&) = delete;
    CBoardProcess& operator=(const CBoardProcess&) = delete;
    ~CBoardProcess() { Stop(); }

    // Starts it with the arguments and waits for its first line; false when
    // it printed none within the time.
    bool Start(const char* program, const std::vector<std::string>& arguments,
               const std::string& stderrFile)
    {
        Stop();
        device_.clear();
        int pipeFds[2];
        if (pipe(pipeFds) != 0) {
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<std::string> all = {program};
        all.insert(all.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& a : all) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        const int rc = posix_spawn(&pid_, program, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        out_ = pipeFds[0];
        if (rc != 0) {
            pid_ = -1;
            return false;
        }
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (device_.empty() || device_.back() != '\n') {
            pollfd pfd{out_, POLLIN, 0};
            if (std::chrono::steady_clock::now() > until || poll(&pfd, 1, 100) < 0) {
                return false;
            }
            char c;
            if ((pfd.revents & POLLIN) != 0) {
                if (read(out_, &c, 1) != 1) {
                    return false;
                }
                device_.push_back(c);
            } else if ((pfd.revents & POLLHUP) != 0) {
                return false;
            }
        }
        device_.pop_back();
        return true;
    }

    const std::string& Device() const { return device_; }

    // Whether it has ended on its own (a script hung it up).
    bool Exited()
    {
        if (pid_ < 0) {
            return true;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return true;
        }
        return false;
    }

    void Stop()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
            pid_ = -1;
        }
        if (out_ >= 0) {
            close(out_);
            out_ = -1;
        }
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string device_;
};
