// Reading values out of settings texts and composing the texts written.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "settings/profile_text.h"
#include "support.h"

namespace {

int Base(const std::string& text) {
    return ParseSettingValue(text.c_str(), 1, "Base=");
}

struct Loaded {
    int mode, factor, format, pixel, base, dynamic, sound;
    bool operator==(const Loaded&) const = default;
};

std::ostream& operator<<(std::ostream& o, const Loaded& l) {
    return o << "{mode " << l.mode << ", factor " << l.factor << ", format " << l.format
             << ", pixel " << l.pixel << ", base " << l.base << ", dynamic " << l.dynamic
             << ", sound " << l.sound << "}";
}

Loaded Load(const std::string& text) {
    ProfileDefaults = StandardProfileDefaults();
    memset(&LensSettings, 0x5A, sizeof(LensSettings));
    LensSettings.SavedNormalFormat = 13;
    LensSettings.SavedReadingFormat = 33;
    ApplyProfileText(text.c_str());
    const LensSettingsRecord& s = LensSettings;
    EXPECT_EQ(s.SavedNormalFormat, 13);  // loads leave the remembered formats alone
    EXPECT_EQ(s.SavedReadingFormat, 33);
    EXPECT_FALSE(s.ProFlag == 1 && s.ReadingFlag == 1);
    return {ModeNumber(s), s.MagnifyFactor, s.WindowFormat, s.PixelFormat,
            s.NumberBase,  s.DynamicRefresh, s.SoundOn};
}

constexpr Loaded Defaults{0, 2, 24, 1, 1, 0, 1};

TEST(ParseSettingValue, BaseValueTable) {
    EXPECT_EQ(Base("Base=;"), 1);
    EXPECT_EQ(Base("Base=abc;"), 0);
    EXPECT_EQ(Base("Base= 3;"), 3);
    EXPECT_EQ(Base("Base=+3;"), 3);
    EXPECT_EQ(Base("Base=3x;"), 3);
    EXPECT_EQ(Base("Base=-1;"), 1);
    EXPECT_EQ(Base("Base=256;"), 1);
    EXPECT_EQ(Base("Base=255;"), 255);
    EXPECT_EQ(Base("Base=0;"), 0);
    EXPECT_EQ(Base("Base=-0;"), 0);
    EXPECT_EQ(Base("Base=\t\r\n\v\f7;"), 7);
    EXPECT_EQ(Base("Base=+-3;"), 0);
    EXPECT_EQ(Base("Base=- 3;"), 0);
    EXPECT_EQ(Base("Base=0003;"), 3);
}

TEST(ParseSettingValue, NumbersBeyond32BitsAreHeldToTheRangeAndRejected) {
    // Wrapping instead of holding would turn some of these into 0..255.
    EXPECT_EQ(Base("Base=4294967299;"), 1);          // 2^32 + 3
    EXPECT_EQ(Base("Base=-4294967293;"), 1);         // -(2^32) + 3
    EXPECT_EQ(Base("Base=18446744073709551619;"), 1);  // 2^64 + 3
    EXPECT_EQ(Base("Base=2147483647;"), 1);
    EXPECT_EQ(Base("Base=-2147483648;"), 1);
    EXPECT_EQ(Base("Base=" + std::string(5000, '9') + ";"), 1);
    EXPECT_EQ(Base("Base=" + std::string(5000, '0') + "2;"), 2);
}

TEST(ParseSettingValue, MissingSemicolonAndTheValueRunsOnToTheNextOne) {
    EXPECT_EQ(Base("Base=3"), 1);
    EXPECT_EQ(Base("Base="), 1);
    EXPECT_EQ(Base("Dynamic=0;\r\nBase=3"), 1);
    const char text[] = "Magnify Factor=4\r\nWindow Format=21;";
    EXPECT_EQ(ParseSettingValue(text, 2, "Magnify Factor="), 4);
    EXPECT_EQ(ParseSettingValue(text, 24, "Window Format="), 21);
    // Never from beyond its own ";".
    EXPECT_EQ(Base("Base=;5;"), 1);
    EXPECT_EQ(Base("Base=x;5;"), 0);
}

TEST(ParseSettingValue, KeysMatchByteForByteAndTheFirstOccurrenceCounts) {
    EXPECT_EQ(Base("Base =3;"), 1);
    EXPECT_EQ(Base("base=3;"), 1);
    EXPECT_EQ(Base("BASE=3;"), 1);
    EXPECT_EQ(ParseSettingValue("Magnify  Factor=4;", 2, "Magnify Factor="), 2);
    EXPECT_EQ(ParseSettingValue("Active Profile=4;", 1, "Active profile="), 1);
    EXPECT_EQ(Base("Base=2;Base=3;"), 2);
    EXPECT_EQ(Base("Base=;Base=3;"), 1);  // a rejected first one is not passed over
    EXPECT_EQ(Base("NumberBase=3;"), 3);
    EXPECT_EQ(Base("xBase=2;Base=3;"), 2);
    // The text ends at a zero byte, as a read file does.
    EXPECT_EQ(Base(std::string("Sound=1;\0Base=3;", 16)), 1);
}

TEST(ApplyProfileText, ConfigurationGivesTheMode) {
    EXPECT_EQ(Load("Configuration=0;").mode, ModeCommon);
    EXPECT_EQ(Load("Configuration=1;").mode, ModePro);
    EXPECT_EQ(Load("Configuration=2;").mode, ModeReading);
    Load("Configuration=2;");
    EXPECT_EQ(LensSettings.ProFlag, 0);
    EXPECT_EQ(LensSettings.ReadingFlag, 1);
    Load("Configuration=1;");
    EXPECT_EQ(LensSettings.ProFlag, 1);
    EXPECT_EQ(LensSettings.ReadingFlag, 0);
}

TEST(ApplyProfileText, OrderLinesAndOtherTextDoNotMatter) {
    const Loaded want{1, 7, 14, 3, 2, 1, 0};
    EXPECT_EQ(Load(Profile(1, 7, 14, 3, 2, 1, 0)), want);
    EXPECT_EQ(Load("Sound=0;\r\nDynamic=1;\r\nBase=2;\r\nPixel Format=3;\r\n"
                   "Window Format=14;\r\nMagnify Factor=7;\r\nConfiguration=1;"),
              want);
    EXPECT_EQ(Load("Sound=0;Dynamic=1;Base=2;Pixel Format=3;Window Format=14;"
                   "Magnify Factor=7;Configuration=1;"),
              want);
    EXPECT_EQ(Load("[Vellix]\nmy settings: Configuration=1; Magnify Factor=7; Window Format=14;"
                   " Pixel Format=3; Base=2; Dynamic=1; Sound=0; end\n"),
              want);
}

TEST(ApplyProfileText, EmptyOrKeylessTextGivesTheDefaults) {
    EXPECT_EQ(Load(""), Defaults);
    EXPECT_EQ(Load("nothing to see here"), Defaults);
    EXPECT_EQ(Load(DefaultProfile), Defaults);
}

// Each field keeps to its valid values; anything else is its default.
TEST(ApplyProfileText, ValuesOutsideAFieldsValidValuesGiveItsDefault) {
    struct Case {
        const char* key;
        int Loaded::*field;
        int fallback;
        std::vector<int> accepted, rejected;
    };
    const Case cases[] = {
        {"Configuration=", &Loaded::mode, 0, {0, 1, 2}, {3, 7, 127, 128, 255}},
        {"Magnify Factor=", &Loaded::factor, 2, {2, 3, 6, 10}, {0, 1, 11, 127, 128, 255}},
        {"Window Format=", &Loaded::format, 24,
         {11, 12, 13, 14, 15, 16, 21, 22, 23, 24, 25, 26, 31, 32, 33},
         {0, 10, 17, 20, 27, 30, 34, 99, 128, 255}},
        {"Pixel Format=", &Loaded::pixel, 1, {1, 2, 3, 4, 5, 6}, {0, 7, 200}},
        {"Base=", &Loaded::base, 1, {1, 2, 3}, {0, 4, 255}},
        {"Dynamic=", &Loaded::dynamic, 0, {0, 1}, {2, 255}},
        {"Sound=", &Loaded::sound, 1, {0, 1}, {2, 255}},
    };
    for (const Case& c : cases) {
        for (int v : c.accepted) {
            const Loaded l = Load(std::string(c.key) + std::to_string(v) + ";");
            EXPECT_EQ(l.*c.field, v) << c.key << v;
        }
        for (int v : c.rejected) {
            const Loaded l = Load(std::string(c.key) + std::to_string(v) + ";");
            EXPECT_EQ(l.*c.field, c.fallback) << c.key << v;
        }
        // Text without digits reads as 0.
        const Loaded l = Load(std::string(c.key) + "abc;");
        EXPECT_EQ(l.*c.field, c.fallback == 0 || c.accepted[0] == 0 ? 0 : c.fallback) << c.key;
    }
}

// Inputs that once misbehaved or that a fuzzer run should never break.
TEST(ApplyProfileText, HostileTextsLoadUsableSettings) {
    const std::string texts[] = {
        "Configuration=7;Magnify Factor=0;Window Format=99;Pixel Format=9;Base=9;"
        "Dynamic=5;Sound=5;",
        "Magnify Factor=255;Window Format=200;",
        "Magnify Factor=99999999999999999999;Window Format=-99999999999999999999;",
        "Magnify Factor=garbage;Window Format=;Configuration=",
        std::string("Magnify Factor=\xff\xfe\x80;Window Format=\x0b\x0c-0;", 38),
        "Configuration=2",
        "=;=;;;==",
        std::string(2000, ';') + "Base=",
        "Sound=-2147483649;Dynamic=2147483648;",
    };
    for (const std::string& t : texts) {
        const Loaded l = Load(t);
        EXPECT_TRUE(ValidConfiguration(l.mode)) << t;
        EXPECT_TRUE(ValidMagnifyFactor(l.factor)) << t;
        EXPECT_TRUE(ValidWindowFormat(l.format)) << t;
        EXPECT_TRUE(ValidPixelFormat(l.pixel)) << t;
        EXPECT_TRUE(ValidNumberBase(l.base)) << t;
        EXPECT_TRUE(ValidFlag(l.dynamic) && ValidFlag(l.sound)) << t;
    }
    EXPECT_EQ(Load(texts[0]), Defaults);
    EXPECT_EQ(Load("Configuration=2").mode, 0);
}

// A mode with a format of another family is loaded as it stands: moving the
// format (and remembering the other one) is the menu's check-mark pass.
TEST(ApplyProfileText, ModeAndFormatFamilyAreNotMatchedByTheLoader) {
    EXPECT_EQ(Load("Configuration=1;Window Format=32;").format, 32);
    EXPECT_EQ(Load("Configuration=2;Window Format=14;").format, 14);
}

TEST(ComposeText, TheDefaultProfileIs102Bytes) {
    ProfileDefaults = StandardProfileDefaults();
    ApplyProfileDefaults();
    char text[SettingsTextCapacity];
    EXPECT_EQ(ComposeProfileText(LensSettings, text, sizeof(text)), 102u);
    EXPECT_EQ(std::string(text), DefaultProfile);
}

TEST(ComposeText, ModeAndSignedValues) {
    LensSettingsRecord s{};
    s.ReadingFlag = 1;
    s.ProFlag = 0;
    s.MagnifyFactor = 10;
    s.WindowFormat = 33;
    s.PixelFormat = 3;
    s.NumberBase = 2;
    s.DynamicRefresh = 1;
    s.SoundOn = 0;
    char text[SettingsTextCapacity];
    ComposeProfileText(s, text, sizeof(text));
    EXPECT_EQ(std::string(text), Profile(2, 10, 33, 3, 2, 1, 0));
    // Written, then read again: the same settings.
    EXPECT_EQ(Load(text), (Loaded{2, 10, 33, 3, 2, 1, 0}));

    EXPECT_EQ(ComposeProfileChoiceText(1, text, sizeof(text)), 17u);
    EXPECT_EQ(std::string(text), "Active profile=1;");
    ComposeProfileChoiceText(7, text, sizeof(text));
    EXPECT_EQ(std::string(text), "Active profile=7;");
    ComposeProfileChoiceText(static_cast<int8_t>(200), text, sizeof(text));
    EXPECT_EQ(std::string(text), "Active profile=-56;");
}

// "Sample=" follows "Sound=" on a line of its own, only for a block: a
// profile that reads one pixel is written as before. Any other value is 1x1.
TEST(ComposeText, SampleIsWrittenOnlyForABlock) {
    ProfileDefaults = StandardProfileDefaults();
    ApplyProfileDefaults();
    EXPECT_EQ(LensSettings.Sample, SampleSize::One);
    LensSettingsRecord s = LensSettings;
    char text[SettingsTextCapacity];
    s.Sample = SampleSize::Three;
    EXPECT_EQ(ComposeProfileText(s, text, sizeof(text)), 113u);
    EXPECT_EQ(std::string(text), std::string(DefaultProfile) + "\r\nSample=3;");
    ApplyProfileText(text);
    EXPECT_EQ(LensSettings.Sample, SampleSize::Three);
    s.Sample = SampleSize::Five;
    ComposeProfileText(s, text, sizeof(text));
    ApplyProfileText(text);
    EXPECT_EQ(LensSettings.Sample, SampleSize::Five);
    s.Sample = static_cast<SampleSize>(0);  // never read, never written
    EXPECT_EQ(ComposeProfileText(s, text, sizeof(text)), 102u);
    for (const char* other : {"Sample=1;", "Sample=2;", "Sample=4;", "Sample=25;", "Sample=;",
                              "Sample=x;", "Sample=-3;", "Sample=3"}) {
        ApplyProfileText(other);
        EXPECT_EQ(LensSettings.Sample, SampleSize::One) << other;
    }
    ApplyProfileText("Sound=0;Sample= 5;Base=2;");
    EXPECT_EQ(LensSettings.Sample, SampleSize::Five);
}

}  // namespace
