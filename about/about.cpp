// "About Box.exe": the small window that Vellix's tray menu starts with the
// command line "a". Shows the logo, the name, the version, what the program
// does and its licence; OK, Enter, Esc and the close box end it.
#include <windows.h>

#include "about_ids.h"
#include "version.h"

namespace {

HFONT NameFont;  // the program's name, larger and bold; deleted at the end

// The dialog's units follow its font, not the picture: the logo's box is
// made as large as fits in it with the picture's own proportions, centred.
void KeepLogoProportions(HWND dialog) {
    const HWND logo = GetDlgItem(dialog, IDC_LOGO);
    const HBITMAP picture =
        reinterpret_cast<HBITMAP>(SendMessageA(logo, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP info{};
    if (!logo || !picture || !GetObjectA(picture, sizeof(info), &info) || info.bmWidth <= 0 ||
        info.bmHeight <= 0)
        return;
    RECT box{};
    GetWindowRect(logo, &box);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    const long boxWidth = box.right - box.left;
    const long boxHeight = box.bottom - box.top;
    long width = boxWidth;
    long height = boxWidth * info.bmHeight / info.bmWidth;
    if (height > boxHeight) {
        height = boxHeight;
        width = boxHeight * info.bmWidth / info.bmHeight;
    }
    SetWindowPos(logo, nullptr, box.left + (boxWidth - width) / 2, box.top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void OnInitDialog(HWND dialog) {
    KeepLogoProportions(dialog);
    SetDlgItemTextA(dialog, IDC_VERSION, "Version " VELLIX_VERSION_STRING);
    LOGFONTA font{};
    const HFONT dialogFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    if (!dialogFont || !GetObjectA(dialogFont, sizeof(font), &font))
        return;
    font.lfHeight = font.lfHeight * 3 / 2;
    font.lfWeight = FW_BOLD;
    NameFont = CreateFontIndirectA(&font);
    if (NameFont)
        SendDlgItemMessageA(dialog, IDC_NAME, WM_SETFONT, reinterpret_cast<WPARAM>(NameFont), FALSE);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;  // the OK button takes the focus
    case WM_COMMAND:
        // OK and Enter send IDOK; Esc and the close box send IDCANCEL.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    default: break;
    }
    return FALSE;
}

}  // namespace

// The command line is "a" when Vellix starts it; any other is accepted too.
int WINAPI WinMain(HINSTANCE module, HINSTANCE, LPSTR, int) {
    DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_ABOUT), nullptr, AboutProc, 0);
    if (NameFont)
        DeleteObject(NameFont);
    return 0;
}
