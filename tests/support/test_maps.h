// test_maps.h — plays the compiled test maps (build/test-levels) in place of
// the game's levels: a data folder of links to the build's data in which
// chosen "levelN.tmx" files are test maps instead.
#pragma once

#include <filesystem>
#include <map>
#include <string>

// Makes `dataDir` (replacing a link or an empty folder there) a folder of
// links to every file of `buildData`, then links "level" + N + ".tmx" to the
// test map `levels[N]` for each entry.
void LinkDataWithTestMaps(const std::filesystem::path& dataDir, const std::filesystem::path& buildData,
                          const std::map<int, std::string>& levels);
