// working_directory.h — runs the rest of a test scope in another working
// directory (the game reads its data folder from there).
#pragma once

#include <filesystem>

struct WorkingDirectory {
    explicit WorkingDirectory(const std::filesystem::path& dir) : previous(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~WorkingDirectory() { std::filesystem::current_path(previous); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

    std::filesystem::path previous;
};
