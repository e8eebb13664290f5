// fuzz_replay_test.cpp — every fuzz target's corpus (fuzz/corpus/<target>/)
// replayed through the target's own entry point, so each input a campaign
// found or a crash it made stays a regression case of the normal test run.
// Every target in fuzz/ must be listed here, and have a corpus.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#define ORBEL_FUZZ_TARGETS(X) \
    X(font)                   \
    X(image)                  \
    X(map)                    \
    X(ogg)                    \
    X(progress)               \
    X(scrambled)              \
    X(state_file)             \
    X(translation)            \
    X(wav)                    \
    X(xml)

#define ORBEL_DECLARE_TARGET(name) extern "C" int OrbelFuzz_##name(const std::uint8_t* data, std::size_t size);
ORBEL_FUZZ_TARGETS(ORBEL_DECLARE_TARGET)
#undef ORBEL_DECLARE_TARGET

namespace {

namespace fs = std::filesystem;
using Target = int (*)(const std::uint8_t*, std::size_t);

const std::map<std::string, Target>& Targets() {
#define ORBEL_TARGET_ENTRY(name) {#name, OrbelFuzz_##name},
    static const std::map<std::string, Target> targets = {ORBEL_FUZZ_TARGETS(ORBEL_TARGET_ENTRY)};
#undef ORBEL_TARGET_ENTRY
    return targets;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FuzzCorpusReplay : public testing::TestWithParam<std::string> {};

TEST_P(FuzzCorpusReplay, EveryInputIsReadWithoutFault) {
    const fs::path corpus = fs::path(ORBEL_FUZZ_DIR) / "corpus" / GetParam();
    ASSERT_TRUE(fs::is_directory(corpus)) << corpus;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(corpus)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    EXPECT_FALSE(files.empty()) << "no seeds in " << corpus;
    const Target target = Targets().at(GetParam());
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const std::string bytes = ReadFile(file);
        // The readers print what they refuse; a corpus is mostly refusals.
        testing::internal::CaptureStdout();
        const int result = target(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(result, 0);
    }
}

std::vector<std::string> TargetNames() {
    std::vector<std::string> names;
    for (const auto& [name, target] : Targets()) names.push_back(name);
    return names;
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpusReplay, testing::ValuesIn(TargetNames()),
                         [](const testing::TestParamInfo<std::string>& target) { return target.param; });

// A target added to fuzz/ without an entry here would never be replayed.
TEST(FuzzCorpusReplayList, NamesEveryTargetInTheFuzzFolder) {
    std::vector<std::string> inFolder;
    for (const auto& entry : fs::directory_iterator(ORBEL_FUZZ_DIR)) {
        const fs::path& path = entry.path();
        if (path.extension() == ".cpp" && path.stem() != "fuzz_support") inFolder.push_back(path.stem().string());
    }
    std::sort(inFolder.begin(), inFolder.end());
    EXPECT_EQ(inFolder, TargetNames());
}

}  // namespace
