#pragma once

#include <filesystem>
#include <random>
#include <string>

// A scratch directory that also restores the process's current directory,
// which loading a workspace changes.
class CScratchDir
{
public:
    CScratchDir()
    {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("app_model_" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_);
        previous_ = std::filesystem::current_path();
    }
    ~CScratchDir()
    {
        std::error_code error;
        std::filesystem::current_path(previous_, error);
        std::filesystem::remove_all(path_, error);
    }
    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};
