// text.h — String, the game's text type, and the conversions the layers need.
//
// A String is a sequence of 16-bit characters (UTF-16 code units; characters
// past U+FFFF are held as surrogate pairs, which the font draws as nothing). Files are decoded into it by the file
// layer; these helpers convert to and from UTF-8 for the C library and the
// console, and do the number and split/trim work of the parsers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using String = std::u16string;
using StringView = std::u16string_view;

// UTF-8 of the text; a surrogate pair becomes one four-byte sequence and a
// lone surrogate becomes U+FFFD.
std::string ToUtf8(StringView text);
// Decodes UTF-8 strictly (1- to 4-byte sequences, the latter into surrogate
// pairs). Each invalid stretch (a stray or overlong byte, a cut-off sequence,
// an encoded surrogate, a value past U+10FFFF) becomes one U+FFFD and the rest
// decodes normally; *ok (if given) says whether nothing was replaced.
String FromUtf8(std::string_view bytes, bool* ok = nullptr);
// One character per byte (Latin-1): the byte-for-byte view of a file.
String FromBytes(std::string_view bytes);
// The low 8 bits of every character.
std::string ToBytes(StringView text);
// Plain ASCII/UTF-8 literal helper: S("abc").
inline String S(std::string_view utf8) { return FromUtf8(utf8); }

// Decimal text of an integer.
String IntToString(long long value);
// Text of a float the way the game prints them: shortest form that round-trips
// a 32-bit float, "1.0" style for whole numbers is not used (e.g. "1", "0.5").
String FloatToString(double value);

// C-library style leading-number reads: leading blanks and a sign are allowed,
// reading stops at the first character that does not fit, 0 when there is no
// number. Characters are narrowed to their low 8 bits first and at most
// `maxChars` characters are looked at (the game's loaders read from a fixed
// buffer).
long long StringToInt(StringView text, std::size_t maxChars = 255);
double StringToFloat(StringView text, std::size_t maxChars = 255);

std::vector<String> Split(StringView text, StringView separator);
String Join(const std::vector<String>& parts, StringView separator);
// Removes characters with codes <= 32 from both ends.
String Trim(StringView text);
String Replace(StringView text, StringView find, StringView with);
bool StartsWith(StringView text, StringView prefix);
bool EndsWith(StringView text, StringView suffix);
bool Contains(StringView text, StringView part);
String ToLower(StringView text);
String ToUpper(StringView text);
