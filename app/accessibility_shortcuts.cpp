// The accessibility shortcuts out of the way of the lens's keys while it is
// shown and in front, and given back as the user set them otherwise.
#include "app/accessibility_shortcuts.h"

#include "app/ids.h"
#include "app/windows_path.h"
#include "settings/shared.h"

namespace {

// The bits of each feature's flags that Vellix cleared at the show, to be
// set again at the hide; 0 where nothing was cleared.
DWORD StickyCleared, FilterCleared, ToggleCleared;

// SystemParametersInfo's get and set for one of the three records; each
// starts with its cbSize.
template <typename Record>
bool ReadFeature(UINT get, Record& r) {
    r = Record{};
    r.cbSize = sizeof(Record);
    return AccessibilityParameter(get, sizeof(Record), &r);
}

template <typename Record>
DWORD SuspendFeature(UINT get, UINT set, DWORD featureOn) {
    Record r;
    if (!ReadFeature(get, r))
        return 0;
    const DWORD clear = ShortcutFlagsToClear(r.dwFlags, featureOn);
    if (clear == 0)
        return 0;
    r.dwFlags &= ~clear;
    return AccessibilityParameter(set, sizeof(Record), &r) ? clear : 0;
}

template <typename Record>
void RestoreFeature(UINT get, UINT set, DWORD& cleared) {
    Record r;
    if (cleared != 0 && ReadFeature(get, r)) {
        r.dwFlags = ShortcutFlagsRestored(r.dwFlags, cleared);
        AccessibilityParameter(set, sizeof(Record), &r);
    }
    cleared = 0;
}
}  // namespace

DWORD ShortcutFlagsToClear(DWORD flags, DWORD featureOn) {
    // A feature the user turned on keeps its shortcut: it is how they turn it off.
    if ((flags & featureOn) != 0)
        return 0;
    return flags & (ShortcutHotkeyActive | ShortcutConfirmHotkey);
}

DWORD ShortcutFlagsRestored(DWORD flags, DWORD cleared) {
    return flags | (cleared & (ShortcutHotkeyActive | ShortcutConfirmHotkey));
}

namespace {

void SuspendShortcuts() {
    if (StickyCleared == 0)
        StickyCleared =
            SuspendFeature<STICKYKEYS>(SPI_GETSTICKYKEYS, SPI_SETSTICKYKEYS, SKF_STICKYKEYSON);
    if (FilterCleared == 0)
        FilterCleared =
            SuspendFeature<FILTERKEYS>(SPI_GETFILTERKEYS, SPI_SETFILTERKEYS, FKF_FILTERKEYSON);
    if (ToggleCleared == 0)
        ToggleCleared =
            SuspendFeature<TOGGLEKEYS>(SPI_GETTOGGLEKEYS, SPI_SETTOGGLEKEYS, TKF_TOGGLEKEYSON);
}

void RestoreShortcuts() {
    RestoreFeature<STICKYKEYS>(SPI_GETSTICKYKEYS, SPI_SETSTICKYKEYS, StickyCleared);
    RestoreFeature<FILTERKEYS>(SPI_GETFILTERKEYS, SPI_SETFILTERKEYS, FilterCleared);
    RestoreFeature<TOGGLEKEYS>(SPI_GETTOGGLEKEYS, SPI_SETTOGGLEKEYS, ToggleCleared);
}

LPTOP_LEVEL_EXCEPTION_FILTER FilterReplaced;

// A crash would leave the shortcuts off until the user signs out.
LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception) {
    AccessibilityShortcutsAt(ShortcutMoment::Crash);
    return FilterReplaced ? FilterReplaced(exception) : EXCEPTION_CONTINUE_SEARCH;
}
}  // namespace

ShortcutStep ShortcutStepAt(ShortcutMoment moment, bool lensShown) {
    switch (moment) {
    case ShortcutMoment::Show: return ShortcutStep::Clear;
    // Another program in front gets the user's keyboard with the shortcuts
    // as the user set them; the lens takes them out of its way again when
    // it comes back.
    case ShortcutMoment::ForegroundLost:
        return lensShown ? ShortcutStep::SetAgain : ShortcutStep::Leave;
    case ShortcutMoment::ForegroundRegained:
        return lensShown ? ShortcutStep::Clear : ShortcutStep::Leave;
    case ShortcutMoment::Hide:
    case ShortcutMoment::Exit:
    case ShortcutMoment::SessionEnd:
    case ShortcutMoment::Crash: break;
    }
    return ShortcutStep::SetAgain;
}

void AccessibilityShortcutsAt(ShortcutMoment moment) {
    switch (ShortcutStepAt(moment, LensShown())) {
    case ShortcutStep::Clear: SuspendShortcuts(); break;
    case ShortcutStep::SetAgain: RestoreShortcuts(); break;
    case ShortcutStep::Leave: break;
    }
}

void WatchForCrash() {
    FilterReplaced = SetUnhandledExceptionFilter(CrashFilter);
}

