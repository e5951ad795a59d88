// Pro grid and Reading guide. Both are built once per show as a picture on
// magenta (OverlaySurface) and the list of its pixels as runs along each row,
// which every refresh writes into the magnified picture before its one plain
// copy.
#include "render/render.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "settings/settings.h"
#include "settings/shared.h"

namespace {

// The overlay built last, so that a show with the same layout keeps it.
struct BuiltOverlay {
    int width = 1, height = 1;
    int zoom = 0;       // of the Pro grid; 0 after a Reading guide
    int blockHalf = 0;  // the sample block the Pro frame was drawn around
};
BuiltOverlay Built;

constexpr COLORREF KeyColour = 0x00FF00FF;
constexpr uint32_t KeyPixel = 0x00FF00FF;  // magenta reads the same in both byte orders

// Overlay pixels to keep, as stretches along a row. Rows share their list of
// stretches when they have the same one (a grid has two kinds of rows, a
// guide two), so the lists stay small and close at hand while a refresh
// walks every row.
struct KeptRun {
    uint32_t x;
    uint32_t length;
};
struct RowKind {
    uint32_t first;  // into KeptRuns
    uint32_t count;
};
std::vector<KeptRun> KeptRuns;
std::vector<RowKind> RowKinds;
std::vector<uint32_t> KindOfRow;
const uint32_t* KeptPixels;  // the overlay's own pixels
int KeptWidth;
int KeptHeight;

// Index of the row kind with these runs, added if it is new.
uint32_t FindOrAddKind(const std::vector<KeptRun>& runs) {
    for (uint32_t k = 0; k < RowKinds.size(); ++k) {
        const RowKind& kind = RowKinds[k];
        if (kind.count == runs.size() &&
            std::equal(runs.begin(), runs.end(), KeptRuns.begin() + kind.first,
                       [](const KeptRun& a, const KeptRun& b) {
                           return a.x == b.x && a.length == b.length;
                       }))
            return k;
    }
    RowKinds.push_back({static_cast<uint32_t>(KeptRuns.size()), static_cast<uint32_t>(runs.size())});
    KeptRuns.insert(KeptRuns.end(), runs.begin(), runs.end());
    return static_cast<uint32_t>(RowKinds.size() - 1);
}

uint32_t DibPixel(COLORREF c) {
    return (static_cast<uint32_t>(GetRValue(c)) << 16) |
           (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}

// The kept runs, read off the overlay's pixels: every pixel that is not
// magenta is a grid or guide pixel.
void TakeOverlayPixels(int width, int height) {
    GdiFlush();
    const uint32_t* pixels = SurfacePixels(OverlaySurface);
    KeptRuns.clear();
    RowKinds.clear();
    KindOfRow.assign(pixels ? height : 0, 0);
    KeptPixels = pixels;
    KeptWidth = width;
    KeptHeight = height;
    std::vector<KeptRun> runs;
    for (int y = 0; pixels && y < height; ++y) {
        const uint32_t* row = pixels + static_cast<size_t>(y) * width;
        runs.clear();
        for (int x = 0; x < width; ++x) {
            if ((row[x] & 0x00FFFFFF) == KeyPixel)
                continue;
            if (!runs.empty() && runs.back().x + runs.back().length == static_cast<uint32_t>(x))
                ++runs.back().length;
            else
                runs.push_back({static_cast<uint32_t>(x), 1});
        }
        KindOfRow[y] = FindOrAddKind(runs);
    }
}

void BuildProMask() {
    TakeOverlayPixels(Geometry.ImageWidth, Geometry.ImageHeight);
}

void BuildReadingOverlay() {
    const LensGeometry& g = Geometry;
    ReplaceSurfaceBitmap(OverlaySurface, g.ImageWidth, g.ImageHeight);
    RECT all{0, 0, g.ImageWidth, g.ImageHeight};
    FillRect(OverlaySurface, &all, KeyBrush);
    // The memory DC keeps its opaque white background: the gaps between the
    // red dots are white, so the whole row is guide and none of it key.
    {
        const ScopedGdiObject pen(CreatePen(PS_DOT, 0, 0x000000FF));
        const ScopedSelection dotted(OverlaySurface, pen.object);
        const int guideRow = (g.SourceRows / 2 + 1) * g.Zoom;
        MoveToEx(OverlaySurface, 0, guideRow, nullptr);
        LineTo(OverlaySurface, g.ImageWidth, guideRow);
    }
    Built = {g.ImageWidth, g.ImageHeight, 0, Built.blockHalf};
}

}  // namespace

void DrawGridPixels(uint32_t* pixels, int width, int height, int columns, int rows, int zoom,
                    const COLORREF colours[4], int blockHalf) {
    const uint32_t gridEven = DibPixel(colours[0]);
    const uint32_t gridOdd = DibPixel(colours[1]);
    const uint32_t centreEven = DibPixel(colours[2]);
    const uint32_t centreOdd = DibPixel(colours[3]);
    // The frame's first and last lines, around the block the strip reads.
    const int left = columns / 2 - blockHalf;
    const int top = rows / 2 - blockHalf;
    const int right = columns / 2 + blockHalf + 1;
    const int bottom = rows / 2 + blockHalf + 1;
    auto put = [&](int x, int y, uint32_t value) {
        if (x >= 0 && x < width && y >= 0 && y < height)
            pixels[static_cast<size_t>(y) * width + x] = value;
    };
    for (int i = 0; i <= rows; ++i) {
        const int y = i * zoom;
        const bool centreLine = i == top || i == bottom;
        for (int j = 0; j <= zoom * columns + 1; j += 2) {
            if (centreLine && left * zoom <= j && j <= right * zoom) {
                put(j, y, centreEven);
                put(j + 1, y, centreOdd);
            } else {
                put(j, y, gridEven);
                if (j <= zoom * columns - 1)
                    put(j + 1, y, gridOdd);
            }
        }
    }
    for (int i = 0; i <= columns; ++i) {
        const int x = i * zoom;
        const bool centreLine = i == left || i == right;
        for (int j = 0; j <= zoom * rows + 1; j += 2) {
            if (centreLine && top * zoom <= j && j <= bottom * zoom) {
                put(x, j, centreEven);
                put(x, j + 1, centreOdd);
            } else {
                put(x, j, gridEven);
                if (j <= zoom * rows - 1)
                    put(x, j + 1, gridOdd);
            }
        }
    }
}

void ForgetBuiltOverlay() {
    Built = BuiltOverlay{};
}

int BuiltOverlayZoom() {
    return Built.zoom;
}

void BuildProOverlay() {
    const LensGeometry& g = Geometry;
    if (LensSettings.ProFlag != 1)
        return;
    // Two factors can give the same image with another grid spacing.
    const int blockHalf = SampleHalf(LensSettings.Sample);
    if (g.ImageWidth == Built.width && g.ImageHeight == Built.height && g.Zoom == Built.zoom &&
        blockHalf == Built.blockHalf)
        return;
    ReplaceSurfaceBitmap(OverlaySurface, g.ImageWidth, g.ImageHeight);
    RECT all{0, 0, g.ImageWidth, g.ImageHeight};
    FillRect(OverlaySurface, &all, KeyBrush);
    GdiFlush();
    if (uint32_t* pixels = SurfacePixels(OverlaySurface)) {
        const COLORREF colours[4] = {GridEvenColour, GridOddColour, CentreEvenColour,
                                     CentreOddColour};
        DrawGridPixels(pixels, g.ImageWidth, g.ImageHeight, g.SourceColumns, g.SourceRows, g.Zoom,
                       colours, blockHalf);
    }
    Built = {g.ImageWidth, g.ImageHeight, g.Zoom, blockHalf};
    BuildProMask();
}

void BuildReadingMask() {
    BuildReadingOverlay();
    TakeOverlayPixels(Geometry.ImageWidth, Geometry.ImageHeight);
}

void BlitOverlay() {
    const LensGeometry& g = Geometry;
    TransparentBlt(LensDC, g.ImageLeft, g.ImageTop, g.ImageWidth, g.ImageHeight, OverlaySurface, 0,
                   0, g.ImageWidth, g.ImageHeight, KeyColour);
}

void ComposeOverlay(uint32_t* picture) {
    if (!KeptPixels || KeptWidth != Geometry.ImageWidth || KeptHeight != Geometry.ImageHeight)
        return;
    const KeptRun* runs = KeptRuns.data();
    for (int y = 0; y < KeptHeight; ++y) {
        const RowKind kind = RowKinds[KindOfRow[y]];
        const size_t base = static_cast<size_t>(y) * KeptWidth;
        uint32_t* to = picture + base;
        const uint32_t* from = KeptPixels + base;
        for (uint32_t k = kind.first; k < kind.first + kind.count; ++k) {
            const KeptRun run = runs[k];
            if (run.length == 1)
                to[run.x] = from[run.x];
            else
                std::memcpy(to + run.x, from + run.x, run.length * sizeof(uint32_t));
        }
    }
}
