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

struct LensRect {
    int left, top, right, bottom;
};

// Monitors the lens keeps track of; on a desk with more, ReadSystemFacts
// merges the rest into the last entry.
constexpr int MaxMonitors = 16;

// The monitors in screen coordinates: the primary's top-left is (0, 0), so a
// monitor left of or above it has negative coordinates.
struct MonitorSet {
    int Count;
    LensRect Rects[MaxMonitors];
};

struct LensGeometry {
    int Zoom;
    int SourceColumns, SourceRows;
    int ImageWidth, ImageHeight;
    int ImageLeft, ImageTop;
    int WindowWidth, WindowHeight;
    int HomeX, HomeY;
    LensRect VirtualScreen;  // bounding box of every monitor
    MonitorSet Monitors;     // at least one; captured cells on none are greyed
    LensRect TextStripRect;
};

extern LensGeometry Geometry;

// What the layout reads from the system at the moment it runs.
struct SystemFacts {
    LensRect WorkArea;
    int CxBorder, CyBorder, CxDlgFrame;
    int ScreenWidth, ScreenHeight;  // current display mode
    LensRect VirtualScreen;         // SM_XVIRTUALSCREEN .. SM_CYVIRTUALSCREEN
    MonitorSet Monitors;            // Count 0: one monitor, the display mode at (0, 0)
};

// View size in window pixels of a window-format code. Reading codes (31..33)
// take fullWidth as their width. False for a code outside the table.
bool FormatViewSize(int code, int fullWidth, int* width, int* height);

// The smallest rectangle holding both.
LensRect BoundingRect(const LensRect& a, const LensRect& b);

// Width of the narrowest Pro text strip any format and factor gives.
int NarrowestProStripWidth();

// Width of a full-width Reading strip on this work area.
int ReadingFullWidth(const SystemFacts& facts);

// Zoom, cell interior and captured area from factor, format and Pro flag.
void ComputeFormat(LensGeometry& g, int magnifyFactor, int windowFormat, int proFlag,
                   const SystemFacts& facts);

// Everything else from the captured area computed last.
void ComputeLayout(LensGeometry& g, int proFlag, const SystemFacts& facts);

// How far past home the pointer must go before a lens that stepped aside
// comes back, and how far aside it steps beyond its own size.
int ReturnMarginX(const LensGeometry& g);
int ReturnMarginY(const LensGeometry& g);

// Where the lens window stands, home (aside 0) or aside (1): sideways for the
// windowed formats, upwards for a full-width Reading strip (readingStrip 1).
// Placement, the self-image and the avoidance decisions all go by it.
LensRect LensPlace(const LensGeometry& g, int readingStrip, int aside);

// Only the monitors and the virtual screen, for a desk that changed while the
// lens is shown (the rest of the layout waits for the next show).
void TakeDesk(LensGeometry& g, const SystemFacts& facts);

// Grey bands: the parts of the captured area that lie on no monitor, as
// rectangles in ZoomSurface coordinates. Captured cell k spans image pixels
// k * Zoom .. (k + 1) * Zoom, the last one up to the image's edge (in Pro mode
// that edge is the closing grid line). Returns how many bands; none overlap.
constexpr int MaxOffscreenBands = (2 * MaxMonitors + 1) * (MaxMonitors + 1);
int OffscreenBands(const LensGeometry& g, int px, int py, LensRect bands[MaxOffscreenBands]);

// A screen rectangle in captured cells of the area around (px, py) (column 0
// is the area's left edge), clipped to the area; empty (right <= left or
// bottom <= top) where it misses the area.
LensRect CapturedCells(const LensGeometry& g, int px, int py, const LensRect& screen);

// The part of the captured area around (px, py) that lies on the virtual
// screen, in captured cells; empty where none does. Only this part may be
// read from the screen.
LensRect CapturedOnScreen(const LensGeometry& g, int px, int py);

// Whether the screen pixel (x, y) lies on one of the monitors.
bool OnAMonitor(const MonitorSet& monitors, int x, int y);

SystemFacts ReadSystemFacts();
// The primary monitor's DPI now (Windows 8.1 on), 0 where unknown.
unsigned PrimaryMonitorDpi();
// The small-icon size at that DPI (Windows 10 1607 on), else at the DPI the
// session started with.
int SmallIconSize();
void ApplyFormat();
void LayoutLens();
void ReadDesk();  // TakeDesk with the facts of now
