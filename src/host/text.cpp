// text.cpp — conversions between String and bytes, numbers and pieces.
#include "host/text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string ToUtf8(StringView text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) {
        unsigned v = c;
        if (v < 0x80) {
            out.push_back(static_cast<char>(v));
        } else if (v < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (v >> 6)));
            out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (v >> 12)));
            out.push_back(static_cast<char>(0x80 | ((v >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (v & 0x3F)));
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
    std::size_t i = 0, n = bytes.size();
    auto cont = [&](std::size_t k) { return k < n && (static_cast<unsigned char>(bytes[k]) & 0xC0) == 0x80; };
    while (i < n) {
        unsigned b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char16_t>(b));
            i += 1;
        } else if ((b & 0xE0) == 0xC0 && cont(i + 1)) {
            unsigned c1 = static_cast<unsigned char>(bytes[i + 1]);
            out.push_back(static_cast<char16_t>(((b & 0x1F) << 6) | (c1 & 0x3F)));
            i += 2;
        } else if ((b & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) {
            unsigned c1 = static_cast<unsigned char>(bytes[i + 1]);
            unsigned c2 = static_cast<unsigned char>(bytes[i + 2]);
            out.push_back(static_cast<char16_t>(((b & 0x0F) << 12) | ((c1 & 0x3F) << 6) | (c2 & 0x3F)));
            i += 3;
        } else {
            if (ok) *ok = false;
            return FromBytes(bytes);
        }
    }
    if (ok) *ok = true;
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
