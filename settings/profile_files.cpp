#include "settings/settings.h"

// Until the profile files are read and written, every run uses the defaults.

void ReadProfileChoice() {
    LensSettings.ActiveProfile = static_cast<int8_t>(ProfileDefaults.DefaultActiveProfile);
}

void LoadActiveProfile() {
    const ProfileDefaultsRecord& d = ProfileDefaults;
    LensSettings.ProFlag = d.DefaultConfiguration;
    LensSettings.ReadingFlag = 0;
    LensSettings.MagnifyFactor = static_cast<int8_t>(d.DefaultMagnifyFactor);
    LensSettings.WindowFormat = static_cast<int8_t>(d.DefaultWindowFormat);
    LensSettings.PixelFormat = static_cast<int8_t>(d.DefaultPixelFormat);
    LensSettings.NumberBase = static_cast<int8_t>(d.DefaultNumberBase);
    LensSettings.DynamicRefresh = d.DefaultDynamicRefresh;
    LensSettings.SoundOn = d.DefaultSoundOn;
}

void SaveProfileChoice() {}

void SaveActiveProfile() {}
