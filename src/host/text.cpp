// text.cpp — conversions between String and bytes, numbers and pieces.
#include "host/text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
void AppendUtf8(std::string& out, unsigned v) {
    if (v < 0x80) {
        out.push_back(static_cast<char>(v));
    } else if (v < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (v >> 6)));
        out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
    } else if (v < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (v >> 12)));
        out.push_back(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (v >> 18)));
        out.push_back(static_cast<char>(0x80 | ((v >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
    }
}

bool IsHighSurrogate(unsigned c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(unsigned c) { return c >= 0xDC00 && c <= 0xDFFF; }
}  // namespace

std::string ToUtf8(StringView text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned v = text[i];
        if (IsHighSurrogate(v) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            AppendUtf8(out, 0x10000 + ((v - 0xD800) << 10) + (text[i + 1] - 0xDC00u));
            ++i;
        } else if (IsHighSurrogate(v) || IsLowSurrogate(v)) {
            // A lone surrogate has no UTF-8 form; writing its three-byte
            // pattern would produce bytes no strict decoder accepts.
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, v);
        }
    }
    return out;
}

String FromBytes(std::string_view bytes) {
    String out;
    out.reserve(bytes.size());
    for (unsigned char b : bytes) out.push_back(b);
    return out;
}

std::string ToBytes(StringView text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) out.push_back(static_cast<char>(c & 0xFF));
    return out;
}

String FromUtf8(std::string_view bytes, bool* ok) {
    String out;
    out.reserve(bytes.size());
    bool valid = true;
    std::size_t i = 0, n = bytes.size();
    auto at = [&](std::size_t k) { return static_cast<unsigned>(static_cast<unsigned char>(bytes[k])); };
    while (i < n) {
        unsigned b = at(i);
        if (b < 0x80) {
            out.push_back(static_cast<char16_t>(b));
            ++i;
            continue;
        }
        // The lead byte fixes the length and the range the second byte may
        // take (which rules out overlong forms, UTF-16 surrogates and values
        // past U+10FFFF); later bytes are plain continuation bytes.
        std::size_t length = 0;
        unsigned low = 0x80, high = 0xBF, value = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2, value = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3, value = b & 0x0F;
            if (b == 0xE0) low = 0xA0;
            if (b == 0xED) high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4, value = b & 0x07;
            if (b == 0xF0) low = 0x90;
            if (b == 0xF4) high = 0x8F;
        }
        std::size_t used = 1;
        while (length && used < length && i + used < n) {
            unsigned c = at(i + used);
            if (c < (used == 1 ? low : 0x80u) || c > (used == 1 ? high : 0xBFu)) break;
            value = (value << 6) | (c & 0x3F);
            ++used;
        }
        if (!length || used < length) {
            // One replacement per invalid stretch: the bad lead byte together
            // with the continuation bytes it validly started.
            out.push_back(u'\uFFFD');
            valid = false;
        } else if (value < 0x10000) {
            out.push_back(static_cast<char16_t>(value));
        } else {
            value -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (value >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (value & 0x3FF)));
        }
        i += used;
    }
    if (ok) *ok = valid;
    return out;
}

String IntToString(long long value) { return S(std::to_string(value)); }

String FloatToString(double value) {
    char buf[64];
    for (int precision = 6; precision <= 9; ++precision) {
        std::snprintf(buf, sizeof buf, "%.*g", precision, value);
        if (static_cast<float>(std::strtod(buf, nullptr)) == static_cast<float>(value)) break;
    }
    return S(buf);
}

namespace {
std::string NarrowPrefix(StringView text, std::size_t maxChars) {
    std::string s;
    std::size_t n = text.size() < maxChars ? text.size() : maxChars;
    s.reserve(n);
    for (std::size_t i = 0; i < n; ++i) s.push_back(static_cast<char>(text[i] & 0xFF));
    return s;
}
}  // namespace

long long StringToInt(StringView text, std::size_t maxChars) {
    std::string s = NarrowPrefix(text, maxChars);
    return std::strtoll(s.c_str(), nullptr, 10);
}

double StringToFloat(StringView text, std::size_t maxChars) {
    std::string s = NarrowPrefix(text, maxChars);
    return std::strtod(s.c_str(), nullptr);
}

std::vector<String> Split(StringView text, StringView separator) {
    std::vector<String> parts;
    if (separator.empty()) {
        parts.emplace_back(text);
        return parts;
    }
    std::size_t start = 0;
    for (;;) {
        std::size_t at = text.find(separator, start);
        if (at == StringView::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

String Join(const std::vector<String>& parts, StringView separator) {
    String out;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i) out.append(separator);
        out.append(parts[i]);
    }
    return out;
}

String Trim(StringView text) {
    std::size_t a = 0, b = text.size();
    while (a < b && text[a] <= 32) ++a;
    while (b > a && text[b - 1] <= 32) --b;
    return String(text.substr(a, b - a));
}

String Replace(StringView text, StringView find, StringView with) {
    if (find.empty()) return String(text);
    String out;
    std::size_t start = 0;
    for (;;) {
        std::size_t at = text.find(find, start);
        if (at == StringView::npos) break;
        out.append(text.substr(start, at - start));
        out.append(with);
        start = at + find.size();
    }
    out.append(text.substr(start));
    return out;
}

bool StartsWith(StringView text, StringView prefix) {
    return text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix;
}

bool EndsWith(StringView text, StringView suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool Contains(StringView text, StringView part) { return text.find(part) != StringView::npos; }

String ToLower(StringView text) {
    String out(text);
    for (auto& c : out)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    return out;
}

String ToUpper(StringView text) {
    String out(text);
    for (auto& c : out)
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    return out;
}
