// "About Box.exe": the small window that Vellix's tray menu starts with the
// command line "a". Shows the logo, the name, the version, what the program
// does and its licence; OK, Enter, Esc and the close box end it.
#include <windows.h>

#include "about_ids.h"
#include "version.h"

namespace {

HFONT NameFont;  // the program's name, larger and bold; deleted at the end

void OnInitDialog(HWND dialog) {
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
