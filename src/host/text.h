// text.h — String, the game's text type, and the conversions the layers need.
//
// A String is a sequence of 16-bit characters (UTF-16 code units taken one by
// one: the game never pairs surrogates). Files are decoded into it by the file
// layer; these helpers convert to and from UTF-8 for the C library and the
// console, and do the number and split/trim work of the parsers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using String = std::u16string;
using StringView = std::u16string_view;

// UTF-8 of the text, one to three bytes per 16-bit character (never four).
std::string ToUtf8(StringView text);
// Decodes UTF-8 strictly (1-3 byte sequences). On an invalid sequence the
// bytes are taken one character each and *ok (if given) is set to false.
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
