// Files: data paths, text decoding, loading data and text, the state file's
// atomic save and its failures, and file streams with their bounds and
// errors.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "host/files.h"
#include "host/scramble.h"
#include "host/settings.h"
#include "host/streams.h"
#include "support/child_process.h"
#include "support/temp_dir.h"

TEST(Paths, FixAndMap) {
    struct Case {
        const char16_t *in, *fixed, *mapped;
    };
    const Case cases[] = {
        {u"title.png", u"cobalt://data/title.png", u"./data/title.png"},
        {u"maps/a.tmx", u"cobalt://data/maps/a.tmx", u"./data/maps/a.tmx"},
        {u"./.cobaltstate", u"./.cobaltstate", u"./.cobaltstate"},
        {u"/abs/x", u"/abs/x", u"/abs/x"},
        {u"cobalt://internal/x", u"cobalt://internal/x", u"./internal/x"},
        {u"cobalt://external/x", u"cobalt://external/x", u"./external/x"},
        {u"cobalt://other/x", u"cobalt://other/x", u""},
        // ":/" only names a scheme when it holds the first "/".
        {u"a/b:/c", u"cobalt://data/a/b:/c", u"./data/a/b:/c"},
        {u"cobalt://Data/x", u"cobalt://Data/x", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FixDataPath(c.in), c.fixed) << ToUtf8(c.in);
        EXPECT_EQ(MapDataPath(FixDataPath(c.in)), c.mapped) << ToUtf8(c.in);
    }
    EXPECT_EQ(OpenFile(u"cobalt://other/x", "rb"), nullptr);
}

TEST(TextDecoding, EncodingsAndReplacement) {
    struct Case {
        std::string bytes;
        String text;
        bool invalid;
    };
    const Case cases[] = {
        {"plain\r\n", u"plain\r\n", false},
        {"\xEF\xBB\xBFhi", u"hi", false},
        {"\xC3\xA9\xE2\x82\xAC", u"\u00E9\u20AC", false},
        {std::string("\xFF\xFE", 2), u"", false},
        {std::string("\xFF\xFEh\0i\0x", 7), u"hi", false},
        {std::string("\xFE\xFF\0h\0i", 6), u"hi", false},
        // A four-byte character among accented text leaves the rest intact.
        {"DISE\xC3\x91O \xF0\x9F\x98\x80 ni\xC3\xB1o", u"DISE\u00D1O \U0001F600 ni\u00F1o", false},
        // Only the bad stretch is replaced, the text around it survives.
        {"\xC3"
         "A\xC3\xA9",
         u"\uFFFDA\u00E9", true},
        {"ok\xE2\x82", u"ok\uFFFD", true},
        {"\xC3\x91\xFF\xC3\x91", u"\u00D1\uFFFD\u00D1", true},
    };
    for (const Case& c : cases) {
        LastTextDecodingError().clear();
        EXPECT_EQ(DecodeText(c.bytes), c.text) << c.bytes;
        EXPECT_EQ(LastTextDecodingError(), c.invalid ? u"Invalid UTF-8" : u"") << c.bytes;
    }
}

TEST(Files, LoadDataAndText) {
    ScopedTempDir dir;
    std::string big(10000, 'x');
    big[4095] = 'a';
    big[4096] = 'b';
    dir.Write("data/big.bin", big);
    dir.Write("data/empty.txt", "");
    dir.Write("data/exact.bin", std::string(4096, 'z'));
    long long before = LoadedByteCount();

    auto data = LoadData(u"cobalt://data/big.bin");
    ASSERT_TRUE(data);
    EXPECT_EQ(std::string(data->begin(), data->end()), big);
    EXPECT_EQ(LoadedByteCount() - before, 10000);
    EXPECT_EQ(LoadData(u"cobalt://data/exact.bin")->size(), 4096u);
    EXPECT_EQ(LoadData(u"cobalt://data/empty.txt")->size(), 0u);
    EXPECT_FALSE(LoadData(u"cobalt://data/missing"));

    dir.Write("data/trans.txt", "\xEF\xBB\xBFHola|Hello\n");
    EXPECT_EQ(LoadText(u"trans.txt"), u"Hola|Hello\n");
    EXPECT_EQ(LoadString(u"cobalt://data/missing.txt"), u"");
}

TEST(StateFile, SavesAtomicallyAndKeepsOldContentOnFailure) {
    ScopedTempDir dir;
    EXPECT_EQ(LoadState(), u"");
    EXPECT_EQ(SaveState(u"caf\u00E9 \u20AC"), 0);
    EXPECT_EQ(dir.Read(".cobaltstate"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(LoadState(), u"caf\u00E9 \u20AC");

    // Block the temporary file's name: the save fails and the old state stays.
    std::filesystem::create_directory(".cobaltstate.tmp" + std::to_string(::getpid()));
    EXPECT_EQ(SaveState(u"new"), -1);
    EXPECT_EQ(LoadState(), u"caf\u00E9 \u20AC");
    std::filesystem::remove(".cobaltstate.tmp" + std::to_string(::getpid()));

    EXPECT_EQ(SaveState(u""), 0);
    EXPECT_EQ(dir.Read(".cobaltstate"), "");
    // Nothing but the state file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 1);
}

// The saved-file hook (the browser flushes its storage from it) runs once
// for each file completely in place, the settings file's included, and
// never for a save that failed.
TEST(StateFile, SavedFileHookFollowsEachCompletedSave) {
    ScopedTempDir dir;
    int saved = 0;
    SetFileSavedHook([&] { ++saved; });
    EXPECT_EQ(SaveState(u"1|998"), 0);
    EXPECT_EQ(saved, 1);
    EXPECT_TRUE(SaveSettings(GameSettings{}));
    EXPECT_EQ(saved, 2);
    std::filesystem::create_directory(".cobaltstate.tmp" + std::to_string(::getpid()));
    EXPECT_EQ(SaveState(u"2|997"), -1);
    EXPECT_EQ(saved, 2) << "a failed save ran the hook";
    std::filesystem::remove(".cobaltstate.tmp" + std::to_string(::getpid()));
    SetFileSavedHook({});
    EXPECT_EQ(SaveState(u"3|996"), 0);
    EXPECT_EQ(saved, 2);
}

TEST(StateFile, ShortWriteIsReportedAndOldContentSurvives) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ScopedTempDir dir;
    ASSERT_EQ(SaveState(u"3|996"), 0);
    // The temporary file is a link to a device that is always full.
    std::filesystem::create_symlink("/dev/full", ".cobaltstate.tmp" + std::to_string(::getpid()));
    EXPECT_EQ(SaveState(u"something longer"), -2);
    EXPECT_EQ(LoadState(), u"3|996");
}

// The data folder is the first that holds the data; the search names every
// folder it tried until then.
TEST(DataFolder, FirstHoldingTheDataIsTaken) {
    ScopedTempDir dir;
    dir.Write("b/data/" + std::string(kDataMarkerFile), "");
    dir.Write("c/data/" + std::string(kDataMarkerFile), "");
    dir.Write("a/data/other.txt", "");  // a folder without the marker is not the data
    DataSearch found = FindDataFolder({"./a/data", "./b/data", "./c/data"});
    EXPECT_EQ(found.folder, "./b/data");
    EXPECT_FALSE(found.inWorkingDirectory);
    EXPECT_EQ(found.tried, (std::vector<std::string>{"./a/data", "./b/data"}));
    EXPECT_TRUE(FindDataFolder({"./c/data", "./b/data"}).inWorkingDirectory);
    DataSearch none = FindDataFolder({"./a/data", "./missing"});
    EXPECT_EQ(none.folder, "");
    EXPECT_EQ(none.tried, (std::vector<std::string>{"./a/data", "./missing"}));
}

// With the data away from the working directory (beside the program, or
// installed), data paths lead there and the state and settings files go to
// the player's data folder, made private on the first save; the working
// directory gets nothing. Each case runs in a child: it changes where the
// process saves.
TEST(DataFolder, SavesGoToThePlayersDataFolderWhenTheDataIsElsewhere) {
    ScopedTempDir dir;
    const std::string data = (dir.Path() / "share/orbel/data").string();
    dir.Write("share/orbel/data/" + std::string(kDataMarkerFile), "");
    std::filesystem::create_directories(dir.Path() / "cwd");
    const std::string home = (dir.Path() / "home").string(), xdg = (dir.Path() / "xdg").string();
    struct Case {
        const char* xdgDataHome;  // null: unset
        std::string saves;        // where the files must land, relative to dir
    };
    const Case cases[] = {
        {xdg.c_str(), "xdg/orbel"}, {nullptr, "home/.local/share/orbel"}, {"relative", "home/.local/share/orbel"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saves);
        ChildResult r = RunInChild([&] {
            if (::chdir("cwd") != 0) std::_Exit(3);
            ::setenv("HOME", home.c_str(), 1);
            if (c.xdgDataHome)
                ::setenv("XDG_DATA_HOME", c.xdgDataHome, 1);
            else
                ::unsetenv("XDG_DATA_HOME");
            DataSearch found = FindDataFolder({"./data", data});
            UseDataFolder(found.folder, found.inWorkingDirectory);
            if (SaveState(u"3|996") != 0 || !SaveSettings({false, 960, 540, false})) std::_Exit(4);
            std::printf("%s|%s|%d", ToUtf8(LoadState()).c_str(), ToUtf8(MapDataPath(u"cobalt://data/x.png")).c_str(),
                        LoadSettings().soundOn ? 1 : 0);
        });
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, "3|996|" + data + "/x.png|0");
        EXPECT_EQ(dir.Read(c.saves + "/.cobaltstate"), "3|996");
        EXPECT_NE(dir.Read(c.saves + "/.orbelsettings").find("sound=0"), std::string::npos);
        struct stat st {};
        ASSERT_EQ(::stat((dir.Path() / c.saves).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "cwd"));
        std::filesystem::remove_all(dir.Path() / c.saves);
    }
}

TEST(Streams, FileStreamModesAndBounds) {
    ScopedTempDir dir;
    dir.Write("data/s.bin", "\x01\x80\xFFxyz");
    EXPECT_EQ(RtFileStream::Open(u"cobalt://data/none", u"r"), nullptr);
    EXPECT_EQ(RtFileStream::Open(u"cobalt://data/s.bin", u"x"), nullptr);

    auto stream = RtFileStream::Open(u"cobalt://data/s.bin", u"r");
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->Length(), 6);
    EXPECT_EQ(stream->Eof(), 0);
    auto buffer = New<c_DataBuffer>();
    buffer->Allocate(4);
    // Ranges reaching outside the buffer are clipped, never overrun.
    EXPECT_EQ(stream->Read(*buffer, 2, 100), 2);
    EXPECT_EQ(stream->Read(*buffer, -1, 2), 0);
    EXPECT_EQ(stream->Read(*buffer, 4, 1), 0);
    EXPECT_EQ(stream->Position(), 2);
    EXPECT_EQ(stream->Seek(6), 6);
    EXPECT_EQ(stream->Eof(), 1);
    stream->Close();
    EXPECT_EQ(stream->Eof(), -1);
    EXPECT_EQ(stream->Read(*buffer, 0, 1), 0);

    // "u" creates a missing file; writes extend the length.
    auto update = RtFileStream::Open(u"./made.bin", u"u");
    ASSERT_TRUE(update);
    EXPECT_EQ(update->Write(*buffer, 0, 4), 4);
    EXPECT_EQ(update->Length(), 4);
    update->Close();
    EXPECT_EQ(dir.Read("made.bin").size(), 4u);

    auto input = New<c_FileInputStream>(u"cobalt://data/s.bin");
    EXPECT_EQ(ReadByte(*input), 1);
    EXPECT_EQ(ReadByte(*input), -128);
    EXPECT_EQ(ReadByte(*input), -1);
}

TEST(Streams, ReadPastEndThrowsReadError) {
    ScopedTempDir dir;
    dir.Write("data/one.bin", "A");
    auto input = New<c_FileInputStream>(u"cobalt://data/one.bin");
    EXPECT_EQ(ReadByte(*input), 'A');
    try {
        ReadByte(*input);
        FAIL() << "no error";
    } catch (const Ref<ThrowableObject>& error) {
        auto readError = std::dynamic_pointer_cast<c_StreamReadError>(error);
        ASSERT_TRUE(readError);
        EXPECT_EQ(readError->GetStream(), input->StreamRef());
    }
}

TEST(Streams, RuntimeErrors) {
    ScopedTempDir dir;
    struct Case {
        std::function<void()> body;
        const char* message;
        // The file named on the next line, as opened ("" for none).
        const char* file;
    };
    const Case cases[] = {
        {[] { New<c_FileInputStream>(u"cobalt://data/missing.bin"); }, "Failed to open stream", "./data/missing.bin"},
        {[] { New<c_DataBuffer>()->Allocate(2)->Allocate(2); }, "Allocate DataBuffer failed", ""},
        {[] { LoadScrambled(u"cobalt://data/missing.imx"); }, "Failed to open stream", "./data/missing.imx"},
    };
    for (const Case& c : cases) {
        ChildResult r = RunInChild(c.body);
        EXPECT_EQ(r.out.substr(0, r.out.find('\n')), std::string("Cobalt Runtime Error : ") + c.message);
        const std::string fileLine = *c.file ? std::string("File: ") + c.file + "\n" : "";
        EXPECT_EQ(r.out.substr(r.out.find('\n') + 1, fileLine.size() + 1), fileLine + "\n") << r.out;
        EXPECT_EQ(r.exitCode, 255);
    }
}

TEST(Scrambled, LoadsOnlyIntactFiles) {
    ScopedTempDir dir;
    std::string plain = "\x89PNG payload bytes";
    std::string good = ScrambleFile(plain);
    std::string badCheck = good;
    badCheck[2] = static_cast<char>(badCheck[2] ^ 1);
    std::string badHeader = good;
    badHeader[1] = 'z';
    dir.Write("data/good.imx", good);
    dir.Write("data/check.imx", badCheck);
    dir.Write("data/header.imx", badHeader);
    dir.Write("data/short.imx", "eZ");
    dir.Write("data/empty.imx", ScrambleFile(""));

    auto buffer = LoadScrambled(u"cobalt://data/good.imx");
    ASSERT_TRUE(buffer);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer->Data()), buffer->Length()), plain);
    EXPECT_FALSE(LoadScrambled(u"cobalt://data/check.imx"));
    EXPECT_FALSE(LoadScrambled(u"cobalt://data/header.imx"));
    EXPECT_FALSE(LoadScrambled(u"cobalt://data/short.imx"));
    ASSERT_TRUE(LoadScrambled(u"cobalt://data/empty.imx"));
    EXPECT_EQ(LoadScrambled(u"cobalt://data/empty.imx")->Length(), 0);

    // The seed is the game's to set; a file made under another seed fails its check.
    std::uint32_t saved = ScrambleSeed();
    ScrambleSeed() = saved + 1;
    EXPECT_FALSE(LoadScrambled(u"cobalt://data/good.imx"));
    ScrambleSeed() = saved;
}
