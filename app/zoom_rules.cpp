// The wheel's factor steps, the hotkey's decision and the tray tooltip: pure,
// so they can be checked with worked examples.
#include "app/app.h"

#include "settings/settings.h"

namespace {

constexpr int WheelNotch = 120;  // WHEEL_DELTA: one notch of a plain wheel

int Within(int v, int low, int high) {
    return v < low ? low : (v > high ? high : v);
}

}  // namespace

int WheelNotches(int* pending, int delta) {
    // A part of a notch turned the other way is dropped, so that a reversal
    // acts from its own first notch.
    if ((delta > 0 && *pending < 0) || (delta < 0 && *pending > 0))
        *pending = 0;
    *pending += delta;
    const int notches = *pending / WheelNotch;  // towards zero: the rest keeps its sign
    *pending -= notches * WheelNotch;
    return notches;
}

int SteppedFactor(int stored, int proFlag, int notches) {
    int factor = Within(stored, LowestMagnifyFactor, HighestMagnifyFactor);
    // More notches than the range has steps end at a bound all the same.
    const int range = HighestMagnifyFactor - LowestMagnifyFactor;
    const int steps = Within(notches, -range, range);
    for (int i = 0; i < (steps > 0 ? steps : -steps); ++i) {
        // Pro shows at least 6 whatever is stored; a step goes from what is shown.
        const int shown = proFlag == 1 && factor < ProLowestZoom ? ProLowestZoom : factor;
        const int lowest = proFlag == 1 ? ProLowestZoom : LowestMagnifyFactor;
        if (steps > 0)
            factor = Within(shown + 1, LowestMagnifyFactor, HighestMagnifyFactor);
        else if (shown > lowest)
            factor = shown - 1;
    }
    return factor;
}

bool HotkeyShows(int lensShown, int menuIdle, bool hidingKeyDown) {
    return lensShown == 0 && menuIdle == 1 && !hidingKeyDown;
}

std::wstring TrayTipText(int zoom, bool hotkeyRegistered, const wchar_t* trailing,
                         bool typographic) {
    std::wstring tip = typographic ? L"Vellix \u2013 " : L"Vellix - ";
    tip += std::to_wstring(zoom);
    tip += typographic ? L"\u00D7" : L"x";
    tip += hotkeyRegistered ? L", Win+Shift+Z" : L", Win+Shift+Z not available";
    if (trailing && *trailing) {
        tip += L", ";
        tip += trailing;
    }
    return tip;
}

void AnsiTrayTip(char* out, int capacity, int zoom, bool hotkeyRegistered,
                 const wchar_t* trailing, UINT codePage) {
    // The tray record is ANSI: the dash and the multiplication sign only where
    // the code page has both (Western and Central European ones do), plain
    // '-' and 'x' elsewhere; no best-fit stand-ins and no question marks.
    const std::wstring fancy = TrayTipText(zoom, hotkeyRegistered, trailing, true);
    // UTF-8 has every character, and Windows takes neither flags nor the
    // lost-character report for it.
    const bool utf8 = codePage == CP_UTF8;
    BOOL lost = FALSE;
    int n = WideCharToMultiByte(codePage, utf8 ? 0 : WC_NO_BEST_FIT_CHARS, fancy.c_str(), -1, out,
                                capacity, nullptr, utf8 ? nullptr : &lost);
    if (n > 0 && !lost)
        return;
    const std::wstring plain = TrayTipText(zoom, hotkeyRegistered, trailing, false);
    n = WideCharToMultiByte(codePage, 0, plain.c_str(), -1, out, capacity, nullptr, nullptr);
    if (n <= 0 && capacity > 0) {
        // Too long for the field: as much as fits, ASCII being one byte each.
        int i = 0;
        for (; i < capacity - 1 && i < static_cast<int>(plain.size()); ++i)
            out[i] = plain[i] < 0x80 ? static_cast<char>(plain[i]) : '?';
        out[i] = '\0';
    }
}
