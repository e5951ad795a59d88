// Names shared by the about program's code and its resources.
#pragma once

#define IDD_ABOUT 100
#define IDC_LOGO 101
#define IDC_VERSION 102
#define IDC_NAME 103
#define ABOUT_LOGO_NAME "aaa"

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
