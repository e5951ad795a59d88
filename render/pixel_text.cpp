// The pixel value text: the colour under the pointer written in the user's
// pixel format and number base (pure text arithmetic, drawing nothing), and
// the Pro strip above the image that shows it after every refresh.
#include "render/render.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "settings/settings.h"
#include "settings/shared.h"

char PixelText[PixelTextSize];

namespace {

// The text the strip shows now, so that an unchanged text is not drawn again.
char StripText[PixelTextSize];
bool StripTextValid;

// Digits of value in base 16 (lower case) or 2, without leading zeros.
void WriteUnsigned(unsigned long value, unsigned base, char* out, size_t size) {
    char digits[40];
    int n = 0;
    do {
        digits[n++] = "0123456789abcdef"[value % base];
        value /= base;
    } while (value != 0);
    size_t k = 0;
    while (n > 0 && k + 1 < size)
        out[k++] = digits[--n];
    out[k] = '\0';
}

void Append(char* text, const char* piece) {
    const size_t used = std::strlen(text);
    if (used + 1 < PixelTextSize)
        snprintf(text + used, PixelTextSize - used, "%s", piece);
}

void WriteTriple(COLORREF colour, int numberBase, char* text) {
    if (numberBase == 2) {
        text[0] = '\0';
        const char* pieces[] = {"(", ", ", ", "};
        char scratch[20];
        for (int i = 1; i <= 3; ++i) {
            Append(text, pieces[i - 1]);
            snprintf(scratch, sizeof(scratch), "%u", ColourComponent(i, colour));
            Append(text, scratch);
        }
        Append(text, ")");
    } else if (numberBase == 1 || numberBase == 3) {
        text[0] = '\0';
        const char* pieces[] = {"(0x", ", 0x", ", 0x"};
        char scratch[20];
        for (int i = 1; i <= 3; ++i) {
            Append(text, pieces[i - 1]);
            WriteUnsigned(ColourComponent(i, colour), 16, scratch, sizeof(scratch));
            UpperCaseText(scratch);
            Append(text, scratch);
        }
        Append(text, ")");
    }
}

void WriteSingle(uint32_t value, int numberBase, char* text) {
    if (numberBase == 1) {
        WriteUnsigned(value, 16, text, PixelTextSize);
        UpperCaseText(text);
    } else if (numberBase == 2) {
        snprintf(text, PixelTextSize, "%ld", static_cast<long>(static_cast<int32_t>(value)));
    } else if (numberBase == 3) {
        WriteUnsigned(value, 2, text, PixelTextSize);
    }
}

// n / d to the nearest whole number, exact halves up (n >= 0, d > 0).
int RoundedQuotient(int n, int d) {
    return (2 * n + d) / (2 * d);
}

// CSS's hue, saturation and lightness, worked in integers: a double gets
// exact halves such as 77.5 wrong.
void WriteHsl(COLORREF colour, char* text) {
    const int r = ColourComponent(1, colour);
    const int g = ColourComponent(2, colour);
    const int b = ColourComponent(3, colour);
    const int high = std::max({r, g, b});
    const int low = std::min({r, g, b});
    const int d = high - low;
    int hue = 0;
    int saturation = 0;
    if (d > 0) {
        // hue * d, in degrees; red first, then green, where two share the top.
        int h = high == r   ? 60 * (g - b)
                : high == g ? 60 * (b - r) + 120 * d
                            : 60 * (r - g) + 240 * d;
        if (h < 0)
            h += 360 * d;
        hue = RoundedQuotient(h, d) % 360;
        saturation = RoundedQuotient(100 * d, 255 - std::abs(high + low - 255));
    }
    const int lightness = RoundedQuotient(100 * (high + low), 510);
    snprintf(text, PixelTextSize, "hsl(%d, %d%%, %d%%)", hue, saturation, lightness);
}

}  // namespace

unsigned char ColourComponent(int index, COLORREF colour) {
    return static_cast<unsigned char>((colour >> (8 * (index - 1))) & 0xFF);
}

void UpperCaseText(char* text) {
    for (; *text; ++text)
        if (*text >= 'a' && *text <= 'z')
            *text = static_cast<char>(*text - 'a' + 'A');
}

void FormatPixelValue(COLORREF colour, int pixelFormat, int numberBase, char* text) {
    const unsigned red = ColourComponent(1, colour);
    const unsigned green = ColourComponent(2, colour);
    const unsigned blue = ColourComponent(3, colour);
    switch (pixelFormat) {
    case PixelFormatWebHex:
        snprintf(text, PixelTextSize, "#%02X%02X%02X", red, green, blue);
        return;
    case PixelFormatCssRgb:
        snprintf(text, PixelTextSize, "rgb(%u, %u, %u)", red, green, blue);
        return;
    case PixelFormatCssHsl: WriteHsl(colour, text); return;
    default: break;
    }
    if (pixelFormat == 3) {
        WriteTriple(colour, numberBase, text);
        return;
    }
    uint32_t value = colour;
    if (pixelFormat == 2)
        value = (red << 16) | (green << 8) | blue;
    WriteSingle(value, numberBase, text);
}

void ShowPixelValue() {
    FormatPixelValue(PointerColour, LensSettings.PixelFormat, LensSettings.NumberBase, PixelText);
    if (StripTextValid && std::strcmp(StripText, PixelText) == 0)
        return;
    DrawStripText(PixelText);
}

void ForgetStripText() {
    StripTextValid = false;
}

void DrawStripText(const char* text) {
    const LensRect& r = Geometry.TextStripRect;
    RECT strip{r.left, r.top, r.right, r.bottom};
    FillRect(LensDC, &strip, StripBrush);
    // A text too wide for the strip in its font takes the narrower one.
    SIZE size{};
    GetTextExtentPoint32A(LensDC, text, lstrlenA(text), &size);
    {
        const ScopedSelection narrow(
            LensDC, StripNarrowFont && size.cx > StripTextRoom() ? StripNarrowFont : nullptr);
        DrawTextA(LensDC, text, -1, &strip, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
    snprintf(StripText, sizeof(StripText), "%s", text);
    StripTextValid = true;
}
