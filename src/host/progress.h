// progress.h — Base64 and the enciphered level-progress record that is the
// whole content of the state file.
#pragma once

#include "host/text.h"

// Decodes standard Base64. Empty text or a length that is not a multiple of
// 4 prints "Base64ToString: Data length must be divisible by 4" and gives the
// empty text. Each decoded byte is one character; bytes that padding leaves
// out stay as characters of code 0.
String Base64ToString(StringView text);
// Encodes the low 8 bits of each character, padded with "=".
String StringToBase64(StringView text);

// The fixed key of the progress cipher (27 printable ASCII characters).
extern const StringView kProgressKey;

// The highest progress there is: one step per level finished.
constexpr int kMaxProgress = 6;

// Writes the progress record; returns SaveState's result.
int SaveProgress(int progress);
// Reads the progress record, ignoring blanks and line ends around it (as text
// editors add) and clamped to 0..kMaxProgress; 0 when it is missing, damaged
// or tampered with.
int LoadProgress();
// The progress a state file's text holds, by the rules of LoadProgress.
int ProgressFromState(StringView stateText);
