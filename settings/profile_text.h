// The text side of the settings files: reading values out of a file's text
// and composing the texts that are written. No Windows headers, so the same
// code builds natively for the fuzzer.
#pragma once

#include <cstddef>

#include "settings/settings.h"

// Both texts are composed in a buffer of this size; neither comes close.
constexpr size_t SettingsTextCapacity = 350;

// The value after the first occurrence of key (which ends in "="), up to the
// next ";": leading white space, an optional sign, decimal digits up to the
// first other character (none gives 0), held to the 32-bit range. A value in
// 0..255 is returned; a missing key, a missing ";", an empty or any other
// value gives defaultValue. text is zero-terminated.
int ParseSettingValue(const char* text, int defaultValue, const char* key);

// Fills the stored fields of LensSettings from a profile text. Every
// field gets a value its readers can use: an absent key, a rejected value or
// one outside the field's valid values gives that field's default.
void ApplyProfileText(const char* text);

// The stored fields from ProfileDefaults alone.
void ApplyProfileDefaults();

// Whether each stored field accepts a value.
bool ValidConfiguration(int v);
bool ValidMagnifyFactor(int v);
bool ValidWindowFormat(int v);
bool ValidPixelFormat(int v);
bool ValidNumberBase(int v);
bool ValidFlag(int v);

// "Profile_A.ini" .. "Profile_E.ini" for 1..5; nullptr for any other number.
const char* ProfileFileName(int profile);

// The texts as written, zero-terminated; each returns the number of bytes
// before the zero (the capacity is never approached).
size_t ComposeProfileText(const LensSettingsRecord& s, char* out, size_t capacity);
size_t ComposeProfileChoiceText(int8_t activeProfile, char* out, size_t capacity);
