// Pixel readout: the colour under the pointer as text in the Pro strip, and
// the Ctrl / Shift copies to the clipboard with their click.
#pragma once

void ShowPixelValue();
void CopyPixelText();
void CopyColourSwatch();
