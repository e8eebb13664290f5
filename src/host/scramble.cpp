// scramble.cpp — see scramble.h.
#include "host/scramble.h"

std::uint8_t ScramblePayload(std::uint8_t* data, std::size_t size, std::uint32_t seed, bool plainIsInput) {
    std::uint32_t x = static_cast<std::uint32_t>(size) - seed;
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < size; ++i) {
        x = x * 214013u + 2531011u;
        std::uint8_t key = static_cast<std::uint8_t>((x >> 16) & 0xFF);
        if (plainIsInput) sum = static_cast<std::uint8_t>(sum + data[i]);
        data[i] = static_cast<std::uint8_t>(data[i] ^ key);
        if (!plainIsInput) sum = static_cast<std::uint8_t>(sum + data[i]);
    }
    return sum;
}

std::string ScrambleFile(std::string_view plain, std::uint32_t seed) {
    std::string out;
    out.reserve(plain.size() + 3);
    out.push_back(static_cast<char>(kScrambleMagic0));
    out.push_back(static_cast<char>(kScrambleMagic1));
    out.push_back(0);
    out.append(plain);
    auto* payload = reinterpret_cast<std::uint8_t*>(out.data() + 3);
    out[2] = static_cast<char>(ScramblePayload(payload, plain.size(), seed, true));
    return out;
}

std::optional<std::string> UnscrambleFile(std::string_view file, std::uint32_t seed) {
    if (file.size() < 3 || static_cast<std::uint8_t>(file[0]) != kScrambleMagic0 ||
        static_cast<std::uint8_t>(file[1]) != kScrambleMagic1)
        return std::nullopt;
    std::string plain(file.substr(3));
    auto* payload = reinterpret_cast<std::uint8_t*>(plain.data());
    std::uint8_t sum = ScramblePayload(payload, plain.size(), seed, false);
    if (sum != static_cast<std::uint8_t>(file[2])) return std::nullopt;
    return plain;
}
