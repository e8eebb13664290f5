// test_maps.cpp — see test_maps.h.
#include "support/test_maps.h"

namespace fs = std::filesystem;

void LinkDataWithTestMaps(const fs::path& dataDir, const fs::path& buildData,
                          const std::map<int, std::string>& levels) {
    fs::remove_all(dataDir);
    fs::create_directory(dataDir);
    for (const auto& entry : fs::directory_iterator(buildData))
        fs::create_symlink(entry.path(), dataDir / entry.path().filename());
    for (const auto& [level, name] : levels) {
        const fs::path link = dataDir / ("level" + std::to_string(level) + ".tmx");
        fs::remove(link);
        fs::create_symlink(fs::path(ORBEL_TEST_LEVELS_DIR) / (name + ".tmx"), link);
    }
}
