// libFuzzer target for the settings reader: arbitrary file bytes through
// ParseSettingValue and ApplyProfileText, checked against a plain model of
// the reading rules and against the valid values of every field.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "settings/profile_text.h"

namespace {

const char* const Keys[] = {"Configuration=", "Magnify Factor=", "Window Format=",
                            "Pixel Format=",  "Base=",           "Dynamic=",
                            "Sound=",         "Sample=",         "Active profile="};

void Fail(const char* what, int got, int want) {
    fprintf(stderr, "fuzz check failed: %s: got %d, want %d\n", what, got, want);
    abort();
}

// The reading rules written out once more, independently, on std::string.
int ModelValue(const std::string& text, int fallback, const std::string& key) {
    const size_t at = text.find(key);
    if (at == std::string::npos)
        return fallback;
    const size_t start = at + key.size();
    const size_t end = text.find(';', start);
    if (end == std::string::npos || end == start)
        return fallback;
    size_t i = start;
    while (i < end && strchr(" \t\r\n\v\f", text[i]) && text[i] != '\0')
        ++i;
    int sign = 1;
    if (i < end && (text[i] == '+' || text[i] == '-'))
        sign = text[i++] == '-' ? -1 : 1;
    long double v = 0;
    while (i < end && text[i] >= '0' && text[i] <= '9')
        v = v * 10 + (text[i++] - '0');
    v *= sign;
    return v >= 0 && v <= 255 ? static_cast<int>(v) : fallback;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // As a file is read: size + 1 bytes, the last one zero. An exact-size
    // heap block lets the address sanitizer catch any read beyond it.
    char* text = static_cast<char*>(malloc(size + 1));
    if (size)
        memcpy(text, data, size);
    text[size] = '\0';
    const std::string asText(text);  // up to the first zero byte

    ProfileDefaults = StandardProfileDefaults();
    for (const char* key : Keys) {
        const int got = ParseSettingValue(text, -7, key);
        if (got != -7 && (got < 0 || got > 255))
            Fail(key, got, -7);
        const int want = ModelValue(asText, -7, key);
        if (got != want)
            Fail(key, got, want);
    }
    // The input's first line as a key of its own (ParseSettingValue must
    // cope with any key the callers could pass: non-empty, zero-terminated).
    const size_t cut = asText.find('\n');
    const std::string key = asText.substr(0, cut == std::string::npos ? 16 : cut);
    if (!key.empty() && cut != std::string::npos) {
        const int got = ParseSettingValue(text + cut + 1, 1000, key.c_str());
        const int want = ModelValue(asText.substr(cut + 1), 1000, key);
        if (got != want)
            Fail("own key", got, want);
    }

    memset(&LensSettings, 0x5A, sizeof(LensSettings));
    ApplyProfileText(text);
    const LensSettingsRecord& s = LensSettings;
    if (!((s.ProFlag == 0 || s.ProFlag == 1) && (s.ReadingFlag == 0 || s.ReadingFlag == 1) &&
          !(s.ProFlag == 1 && s.ReadingFlag == 1)))
        Fail("mode flags", s.ProFlag * 10 + s.ReadingFlag, 0);
    if (!ValidMagnifyFactor(s.MagnifyFactor))
        Fail("factor", s.MagnifyFactor, 2);
    if (!ValidWindowFormat(s.WindowFormat))
        Fail("format", s.WindowFormat, 24);
    if (!ValidPixelFormat(s.PixelFormat))
        Fail("pixel format", s.PixelFormat, 1);
    if (!ValidNumberBase(s.NumberBase))
        Fail("base", s.NumberBase, 1);
    if (!ValidFlag(s.DynamicRefresh) || !ValidFlag(s.SoundOn))
        Fail("flags", s.DynamicRefresh * 10 + s.SoundOn, 1);
    if (s.Sample != SampleSize::One && s.Sample != SampleSize::Three &&
        s.Sample != SampleSize::Five)
        Fail("sample", static_cast<int>(s.Sample), 1);
    // A loaded profile, written and read again, loads the same.
    char written[SettingsTextCapacity];
    const size_t length = ComposeProfileText(s, written, sizeof(written));
    if (length == 0 || length > 120)
        Fail("profile text length", static_cast<int>(length), 102);
    const LensSettingsRecord loaded = s;
    ApplyProfileText(written);
    if (memcmp(&loaded, &LensSettings, sizeof(loaded)) != 0)
        Fail("written profile reloads differently", 0, 0);
    free(text);
    return 0;
}
