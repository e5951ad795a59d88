#include "settings/settings.h"

LensSettingsRecord LensSettings;
ProfileDefaultsRecord ProfileDefaults;
wchar_t StartDirectory[PathCapacity];
wchar_t ProgramPath[PathCapacity];

ProfileDefaultsRecord StandardProfileDefaults() {
    ProfileDefaultsRecord d{};
    d.DefaultConfiguration = ModeCommon;
    d.DefaultMagnifyFactor = 2;
    d.DefaultWindowFormat = 24;
    d.DefaultPixelFormat = 1;
    d.DefaultNumberBase = 1;
    d.DefaultDynamicRefresh = 0;
    d.DefaultSoundOn = 1;
    d.DefaultActiveProfile = 1;
    return d;
}

int ModeNumber(const LensSettingsRecord& s) {
    return s.ReadingFlag == 1 ? ModeReading : s.ProFlag;
}
