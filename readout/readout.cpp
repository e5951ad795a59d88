#include "readout/readout.h"

// The pixel value text and the clipboard copies come with the Pro readout;
// until then the Pro strip stays as the idle picture left it and the keys copy
// nothing.

void ShowPixelValue() {}

void CopyPixelText() {}

void CopyColourSwatch() {}
