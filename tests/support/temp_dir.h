// temp_dir.h — a fresh temporary folder that is the working directory for
// the scope of a test, so files the game writes beside itself (the state
// file, ./data) never touch the build folder or another test.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

class ScopedTempDir {
public:
    ScopedTempDir();
    ~ScopedTempDir();
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Writes a file relative to the folder (parent folders are made).
    void Write(const std::string& relative, std::string_view bytes) const;
    std::string Read(const std::string& relative) const;

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};
