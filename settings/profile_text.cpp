#include "settings/profile_text.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Decimal conversion of [p, end): blanks, sign, digits up to the first other
// character. Done by hand rather than with strtol, whose range follows the
// width of long (64 bits natively, 32 on Windows).
int64_t ConvertNumber(const char* p, const char* end) {
    while (p < end && IsBlank(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    int64_t magnitude = 0;
    constexpr int64_t Limit = static_cast<int64_t>(INT32_MAX) + 1;
    while (p < end && *p >= '0' && *p <= '9') {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > Limit)
            magnitude = Limit;  // beyond either end already; stop growing
        ++p;
    }
    int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX)
        value = INT32_MAX;
    return value;
}

// The value of key checked against the field's own valid values.
int ParseField(const char* text, const char* key, int defaultValue, bool (*valid)(int)) {
    const int v = ParseSettingValue(text, defaultValue, key);
    return valid(v) ? v : defaultValue;
}

}  // namespace

int ParseSettingValue(const char* text, int defaultValue, const char* key) {
    const char* found = strstr(text, key);
    if (!found)
        return defaultValue;
    const char* value = found + strlen(key);
    const char* end = strchr(value, ';');
    if (!end || end == value)
        return defaultValue;
    const int64_t number = ConvertNumber(value, end);
    return number >= 0 && number <= 255 ? static_cast<int>(number) : defaultValue;
}

bool ValidConfiguration(int v) {
    return v >= ModeCommon && v <= ModeReading;
}

bool ValidMagnifyFactor(int v) {
    return v >= LowestMagnifyFactor && v <= HighestMagnifyFactor;
}

bool ValidWindowFormat(int v) {
    return FindWindowFormat(v) != nullptr;
}

bool ValidPixelFormat(int v) {
    return v >= 1 && v <= PixelFormatCssHsl;
}

bool ValidNumberBase(int v) {
    return v >= 1 && v <= 3;
}

bool ValidFlag(int v) {
    return v == 0 || v == 1;
}

void ApplyProfileText(const char* text) {
    const ProfileDefaultsRecord& d = ProfileDefaults;
    LensSettingsRecord& s = LensSettings;
    const int mode = ParseField(text, "Configuration=", d.DefaultConfiguration, ValidConfiguration);
    s.ReadingFlag = 0;
    s.ProFlag = 0;
    if (mode == ModeReading)
        s.ReadingFlag = 1;
    else
        s.ProFlag = mode;
    s.MagnifyFactor = static_cast<int8_t>(
        ParseField(text, "Magnify Factor=", d.DefaultMagnifyFactor, ValidMagnifyFactor));
    s.WindowFormat = static_cast<int8_t>(
        ParseField(text, "Window Format=", d.DefaultWindowFormat, ValidWindowFormat));
    s.PixelFormat = static_cast<int8_t>(
        ParseField(text, "Pixel Format=", d.DefaultPixelFormat, ValidPixelFormat));
    s.NumberBase =
        static_cast<int8_t>(ParseField(text, "Base=", d.DefaultNumberBase, ValidNumberBase));
    s.DynamicRefresh = ParseField(text, "Dynamic=", d.DefaultDynamicRefresh, ValidFlag);
    s.SoundOn = ParseField(text, "Sound=", d.DefaultSoundOn, ValidFlag);
    const int sample = ParseSettingValue(text, 1, "Sample=");
    s.Sample = sample == 3 ? SampleSize::Three : sample == 5 ? SampleSize::Five : SampleSize::One;
}

void ApplyProfileDefaults() {
    ApplyProfileText("");
}

const char* ProfileFileName(int profile) {
    static const char* const Names[] = {"Profile_A.ini", "Profile_B.ini", "Profile_C.ini",
                                        "Profile_D.ini", "Profile_E.ini"};
    return profile >= 1 && profile <= 5 ? Names[profile - 1] : nullptr;
}

size_t ComposeProfileText(const LensSettingsRecord& s, char* out, size_t capacity) {
    // The 8-bit fields are written as signed 8-bit values, the flags as 32-bit.
    const int n = snprintf(out, capacity,
                           "Configuration=%d;\r\nMagnify Factor=%d;\r\nWindow Format=%d;\r\n"
                           "Pixel Format=%d;\r\nBase=%d;\r\nDynamic=%d;\r\nSound=%d;",
                           static_cast<int>(ModeNumber(s)), static_cast<int>(s.MagnifyFactor),
                           static_cast<int>(s.WindowFormat), static_cast<int>(s.PixelFormat),
                           static_cast<int>(s.NumberBase), static_cast<int>(s.DynamicRefresh),
                           static_cast<int>(s.SoundOn));
    // Written only when it is not 1x1: such a profile stays as older Vellix wrote it.
    if (n >= 0 && (s.Sample == SampleSize::Three || s.Sample == SampleSize::Five)) {
        const size_t used = strlen(out);
        snprintf(out + used, capacity - used, "\r\nSample=%d;", static_cast<int>(s.Sample));
    }
    return n < 0 ? 0 : strlen(out);
}

size_t ComposeProfileChoiceText(int8_t activeProfile, char* out, size_t capacity) {
    const int n = snprintf(out, capacity, "Active profile=%d;", static_cast<int>(activeProfile));
    return n < 0 ? 0 : strlen(out);
}
