// Lens geometry: turns mode, zoom factor and window format into the captured
// area, the image and window sizes and the lens's home position.
//
// The arithmetic is pure (ComputeFormat, ComputeLayout) and takes the system
// facts as input; ApplyFormat and LayoutLens read those facts from Windows and
// write the global record.
#pragma once

constexpr int FrameMargin = 4;
constexpr int TextStripHeight = 22;
constexpr int GridLineWidth = 1;
constexpr int ImageLeft = FrameMargin;

struct LensPoint {
    int x, y;
};

struct LensRect {
    int left, top, right, bottom;
};

struct LensGeometry {
    int Zoom;
    int CellInterior;  // Zoom - GridLineWidth, both axes
    int SourceColumns, SourceRows;
    int ImageWidth, ImageHeight;
    int ImageLeft, ImageTop;
    int WindowWidth, WindowHeight;
    int HomeX, HomeY;
    int ScreenWidth, ScreenHeight;
    int WorkAreaWidth, WorkAreaHeight;
    LensRect TextStripRect;
    LensPoint PlgPoints[3];  // upper-left, upper-right, lower-left
};

extern LensGeometry Geometry;

// What the layout reads from the system at the moment it runs.
struct SystemFacts {
    LensRect WorkArea;
    int CxBorder, CyBorder, CxDlgFrame;
    int ScreenWidth, ScreenHeight;  // current display mode
};

// View size in window pixels of a window-format code. Reading codes (31..33)
// take fullWidth as their width. False for a code outside the table.
bool FormatViewSize(int code, int fullWidth, int* width, int* height);

// Width of a full-width Reading strip on this work area.
int ReadingFullWidth(const SystemFacts& facts);

// Zoom, cell interior and captured area from factor, format and Pro flag.
void ComputeFormat(LensGeometry& g, int magnifyFactor, int windowFormat, int proFlag,
                   const SystemFacts& facts);

// Everything else from the captured area computed last.
void ComputeLayout(LensGeometry& g, int proFlag, const SystemFacts& facts);

SystemFacts ReadSystemFacts();
void ApplyFormat();
void LayoutLens();
