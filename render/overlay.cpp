// Pro grid and Reading guide. Until they are drawn, the pass mask lets every
// magnified pixel through, so the masked copy shows the whole picture.
#include "render/render.h"

#include "app/app.h"

namespace {

void BuildOpenPassMask() {
    const LensGeometry& g = Geometry;
    DeleteObject(PassMask);
    PassMask = CreateBitmap(g.ImageWidth, g.ImageHeight, 1, 1, nullptr);
    HDC scratch = CreateCompatibleDC(LensDC);
    HGDIOBJ old = SelectObject(scratch, PassMask);
    PatBlt(scratch, 0, 0, g.ImageWidth, g.ImageHeight, WHITENESS);
    SelectObject(scratch, old);
    DeleteDC(scratch);
}

}  // namespace

void BuildProOverlay() {
    BuildOpenPassMask();
}

void BuildReadingMask() {
    BuildOpenPassMask();
}

void BlitOverlay() {}
