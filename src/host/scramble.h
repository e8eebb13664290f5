// scramble.h — the scrambled data-file format shared by the game (reading)
// and the data generator (writing).
//
// File: 0x65 0x5A, a check byte, then the payload. The payload is XORed with a
// linear congruential stream seeded from its own length minus kScrambleSeed;
// the check byte is the 8-bit sum of the plain bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

inline constexpr std::uint8_t kScrambleMagic0 = 0x65;
inline constexpr std::uint8_t kScrambleMagic1 = 0x5A;
// The seed constant the game sets at start-up.
inline constexpr std::uint32_t kScrambleSeed = 6180337;

// XORs the payload in place with the stream for `seed` and returns the 8-bit
// sum of the plain bytes. The operation is its own inverse for the bytes; the
// sum is taken over the plain side, so callers pass `plainIsInput` to say
// which side they hold.
std::uint8_t ScramblePayload(std::uint8_t* data, std::size_t size, std::uint32_t seed, bool plainIsInput);

// The whole scrambled file for the given plain bytes.
std::string ScrambleFile(std::string_view plain, std::uint32_t seed = kScrambleSeed);

// The plain bytes of a whole scrambled file, or nothing when the header or
// the check byte is wrong.
std::optional<std::string> UnscrambleFile(std::string_view file, std::uint32_t seed = kScrambleSeed);
