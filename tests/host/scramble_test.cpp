// Scrambled image files: the round trip and the refusal of a wrong check
// byte or header.
#include <gtest/gtest.h>

#include "host/scramble.h"

TEST(Scramble, RoundTripsAndRefusesWrongCheckOrHeader) {
    std::string plain = "\x89PNG\r\n\x1a\n some image bytes";
    std::string file = ScrambleFile(plain);
    ASSERT_EQ(file.size(), plain.size() + 3);
    EXPECT_NE(file.substr(3), plain);
    auto back = UnscrambleFile(file);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, plain);

    std::string badCheck = file;
    badCheck[2] = static_cast<char>(badCheck[2] + 1);
    EXPECT_FALSE(UnscrambleFile(badCheck));
    std::string badHeader = file;
    badHeader[0] = 'x';
    EXPECT_FALSE(UnscrambleFile(badHeader));
    EXPECT_FALSE(UnscrambleFile("eZ"));
}
