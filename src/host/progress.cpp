// progress.cpp — see progress.h.
#include "host/progress.h"

#include <algorithm>
#include <climits>

#include "host/files.h"
#include "host/runtime_error.h"

namespace {

constexpr StringView kAlphabet = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int AlphabetIndex(char16_t c) {
    std::size_t at = kAlphabet.find(c);
    return at == StringView::npos ? -1 : static_cast<int>(at);
}

// Base64 padding decodes to characters of code 0, which decipher to the key
// character minus one; so the key holds no '1'-'9', ':' or '}', whose
// neighbours below would read as part of the record.
constexpr char16_t kKeyText[] = u"Orbel*HalfAndHalf#TwoWorlds";
static_assert(sizeof kKeyText / sizeof kKeyText[0] == 27 + 1, "the progress key has 27 characters");

String Encipher(StringView text) {
    String out(text.size(), u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned k = kProgressKey[i % kProgressKey.size()];
        out[i] = static_cast<char16_t>((~static_cast<unsigned>(text[i]) + k) & 0xFF);
    }
    return out;
}

String Decipher(StringView text) {
    String out(text.size(), u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned k = kProgressKey[i % kProgressKey.size()];
        out[i] = static_cast<char16_t>(~(static_cast<unsigned>(text[i]) - k) & 0xFF);
    }
    return out;
}

}  // namespace

const StringView kProgressKey{kKeyText, 27};

String Base64ToString(StringView text) {
    if (text.empty() || text.size() % 4 != 0) {
        Print(u"Base64ToString: Data length must be divisible by 4");
        return String();
    }
    String out(3 * text.size() / 4, u'\0');
    std::size_t o = 0;
    for (std::size_t i = 0; i < text.size(); i += 4, o += 3) {
        int a = AlphabetIndex(text[i]), b = AlphabetIndex(text[i + 1]);
        int c = AlphabetIndex(text[i + 2]), d = AlphabetIndex(text[i + 3]);
        out[o] = static_cast<char16_t>(((a << 2) | ((b >> 4) & 3)) & 0xFF);
        if (c >= 0) out[o + 1] = static_cast<char16_t>((((b & 15) << 4) | ((c >> 2) & 15)) & 0xFF);
        if (d >= 0) out[o + 2] = static_cast<char16_t>((((c & 3) << 6) | (d & 63)) & 0xFF);
    }
    return out;
}

String StringToBase64(StringView text) {
    String out;
    out.reserve((text.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < text.size(); i += 3) {
        std::size_t have = std::min<std::size_t>(3, text.size() - i);
        unsigned b0 = text[i] & 0xFF;
        unsigned b1 = have > 1 ? text[i + 1] & 0xFF : 0;
        unsigned b2 = have > 2 ? text[i + 2] & 0xFF : 0;
        unsigned group = (b0 << 16) | (b1 << 8) | b2;
        out.push_back(kAlphabet[(group >> 18) & 63]);
        out.push_back(kAlphabet[(group >> 12) & 63]);
        out.push_back(have > 1 ? kAlphabet[(group >> 6) & 63] : u'=');
        out.push_back(have > 2 ? kAlphabet[group & 63] : u'=');
    }
    return out;
}

int SaveProgress(int progress) {
    String record = IntToString(progress) + u"|" + IntToString(999LL - progress);
    return SaveState(StringToBase64(Encipher(record)));
}

int LoadProgress() { return ProgressFromState(LoadState()); }

int ProgressFromState(StringView stateText) {
    std::vector<String> parts = Split(Decipher(Base64ToString(Trim(stateText))), u"|");
    if (parts.size() != 2) return 0;
    long long a = StringToInt(parts[0], 63);
    long long b = StringToInt(parts[1], 63);
    if (a < INT_MIN || a > INT_MAX || b != 999 - a) return 0;
    return static_cast<int>(std::clamp<long long>(a, 0, kMaxProgress));
}
