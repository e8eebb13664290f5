// temp_dir.cpp — see temp_dir.h.
#include "support/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

ScopedTempDir::ScopedTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orbel-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    path_ = pattern;
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(path_);
}

ScopedTempDir::~ScopedTempDir() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
    std::filesystem::remove_all(path_, ec);
}

void ScopedTempDir::Write(const std::string& relative, std::string_view bytes) const {
    std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ScopedTempDir::Read(const std::string& relative) const {
    std::ifstream in(path_ / relative, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}
