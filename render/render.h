// Lens rendering: the drawing objects, the capture and zoom of the screen
// around the pointer, the pixel value text and its strip, the idle picture,
// the self-image and the overlays.
#pragma once

#include <windows.h>

#include <cstdint>

#include "geometry/geometry.h"
#include "settings/shared.h"

// What one function makes and frees itself is held in these for the length
// of a block: each gives back its object when the block ends, the last made
// first, so a selection is undone before its object is deleted. What lives
// for the whole run is released by ReleaseDrawingResources instead.
//
// An object selected into a DC; the DC's previous one is selected again. A
// null object selects nothing.
struct ScopedSelection {
    HDC dc;
    HGDIOBJ previous;
    ScopedSelection(HDC into, HGDIOBJ object)
        : dc(into), previous(object ? SelectObject(into, object) : nullptr) {}
    ~ScopedSelection() {
        if (previous)
            SelectObject(dc, previous);
    }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;
};
// A pen, brush, font or bitmap, deleted unless Keep takes it out first.
struct ScopedGdiObject {
    HGDIOBJ object;
    explicit ScopedGdiObject(HGDIOBJ made) : object(made) {}
    ~ScopedGdiObject() {
        if (object)
            DeleteObject(object);
    }
    HGDIOBJ Keep() {
        HGDIOBJ kept = object;
        object = nullptr;
        return kept;
    }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
};
// A memory device context, deleted.
struct ScopedDC {
    HDC dc;
    explicit ScopedDC(HDC made) : dc(made) {}
    ~ScopedDC() {
        if (dc)
            DeleteDC(dc);
    }
    ScopedDC(const ScopedDC&) = delete;
    ScopedDC& operator=(const ScopedDC&) = delete;
};

// Drawing objects, made once at start-up and released once at shutdown.
extern HDC ScreenDC;
extern HDC ZoomSurface;
// The captured area 1:1, SourceColumns x SourceRows: the screen is read into it
// only where the area lies on the virtual screen, then stretched.
extern HDC SourceSurface;
extern HDC IdleSurface;
extern HDC LogoSurface;
extern HDC OverlaySurface;
extern HDC CheckSurface;  // CheckPatchWidth x CheckPatchHeight: the patch read back
extern HBITMAP LogoBitmap;
extern int LogoWidth, LogoHeight;
extern HBRUSH StripBrush, OffscreenBrush, KeyBrush;
extern HCURSOR CommonCursor, ProCursor, ReadingCursor;
extern HGLOBAL ClickSound;
extern HFONT StripFont;  // the Pro strip's text, selected into LensDC for the whole run
// Same height, narrower letters, sized at each Pro show for texts (the binary
// ones) too wide for this strip in StripFont; nullptr when none is.
extern HFONT StripNarrowFont;
extern COLORREF GridEvenColour, GridOddColour, CentreEvenColour, CentreOddColour;

// Pro: the screen pixel under the pointer, read from the refresh's capture
// at the pointer position (PointerPos, settings/shared.h).
extern COLORREF PointerColour;

constexpr COLORREF GreyColour = 0x00808080;
constexpr COLORREF SilverColour = 0x00C0C0C0;
constexpr COLORREF PaleYellowColour = 0x00E4FFFF;
constexpr COLORREF LensBackgroundColour = 0x00E55500;

// Drawing objects.
void CreateEarlyDrawingObjects();  // strip and off-screen brushes
void CreateDrawingResources();
void ReleaseDrawingResources();
// Whether CreateDrawingResources has made the run's drawing objects: a paint
// can come before. Tests only: taken as made or not.
bool Initialised();
void SetInitialisedForTest(bool made);
void PrepareStripFonts();  // at a Pro show, once the layout is known
int StripTextRoom();       // width the strip's text may take, margins left
// Picture surfaces hold 32-bit top-down DIB sections, so the overlay code can
// write and read their pixels directly (0x00RRGGBB per pixel).
void ReplaceSurfaceBitmap(HDC surface, int width, int height);
// Puts ScreenDC's origin at the primary's top-left, where the pointer's is.
void PlaceScreenOrigin();
// A new display DC, for a desk whose monitors changed while Vellix runs.
void RemakeScreenDC();
// The pixels of a surface's DIB section, nullptr if it holds another bitmap.
// GdiFlush before reading what GDI drew.
uint32_t* SurfacePixels(HDC surface);
uint32_t* PicturePixels(HBITMAP picture);  // the same for a bitmap held in no DC
HBITMAP NewPictureBitmap(int width, int height);  // such a DIB section, unselected
// The header of such a picture: 32 bits a pixel, top-down.
BITMAPINFO TopDownPictureInfo(int width, int height);

// Pictures rebuilt at every show.
void PrepareShow();
// A shown lens takes the current layout where it stands (aside 1: stepped
// aside) and its pictures are rebuilt, as a show would, without hiding it.
void ReshapeShownLens(int aside);
// The surfaces, strip fonts and idle picture of the current layout.
void RebuildShowPictures();
void BuildIdlePicture();
void PlaceLogo(HDC dc, int width, int height);
void DrawThinBevel(HDC dc, int width, int height);
void DrawZoomBevel(HDC dc, int width, int height);
// Width of the Reading-mode logo at full height, proportions kept.
int ReadingLogoWidth(int height, int logoWidth, int logoHeight);

// Pro grid, Reading guide and the runs of their pixels that show through.
void BuildProOverlay();
void BuildReadingMask();
void BlitOverlay();
// Forgets the overlay built last: the next build makes it anew.
void ForgetBuiltOverlay();
int BuiltOverlayZoom();  // of the last Pro grid; 0 after a Reading guide

// The grid, pixel for pixel, into a 32-bit top-down picture of width x height
// (0x00RRGGBB per pixel) for columns x rows cells of zoom pixels; colours are
// GridEven, GridOdd, CentreEven, CentreOdd as COLORREF. Horizontal lines
// first, then vertical ones, in pairs of pixels along each line; pixels
// beyond the picture are left out. The centre colours frame the pointer's
// cell and blockHalf cells each way around it (the block Pro reads).
void DrawGridPixels(uint32_t* pixels, int width, int height, int columns, int rows, int zoom,
                    const COLORREF colours[4], int blockHalf = 0);
// Writes the overlay's grid or guide pixels (all but its magenta) into a
// picture of the current image size: the masked copy done in memory. Does
// nothing unless the overlay was built for this image size.
void ComposeOverlay(uint32_t* picture);

// The refresh path.
void RefreshLens();
void ShowIdlePicture();
void ZoomAroundCursor();
void PaintSelfImage(int movedAside);  // draws the lens's own picture into ZoomSurface
// ZoomSurface into the window, with the grid or guide in Pro and Reading.
void PutPictureInWindow();
// The window's picture and strip are no longer known (a paint erased them,
// a show rebuilt the surfaces): the next refresh draws them whole. Until
// then a refresh whose capture and inputs are those of the shown picture
// draws nothing.
void ForgetShownPicture();
// The colour Pro reads, from the capture in ZoomSurface before bands and
// self-image are painted: the pointer's pixel, or the mean of the block the
// settings' Sample names.
COLORREF ReadPointerColour();
// The mean of the cells of a block centred on the pointer's cell (half 0: that
// cell alone, 1: 3 x 3, 2: 5 x 5), each read in the middle of its cell of
// picture (ImageWidth x ImageHeight, 0x00RRGGBB); cells on no monitor count
// in neither the sum nor the count; each channel rounded to the nearest,
// exact halves up. The pointer's cell alone where none lies on a monitor.
COLORREF BlockMeanColour(const LensGeometry& g, int px, int py, int half,
                         const uint32_t* picture);

// The screen reads checked against pixels the lens drew itself, and the
// blend of the input layer undone where a check found one.
enum ReadsVerdict { ReadsUnproven, ReadsExact, ReadsBlended };
// How a black layer at alpha 1 turns a level c into what the screen gives
// back: c * 254 / 255 rounded to the nearest level, or cut off.
enum ReadBlend { ReadBlendNone, ReadBlendRounded, ReadBlendTruncated };
int BlendedLevel(ReadBlend blend, int level);
// The patch the lens draws in the middle of its bottom frame: white,
// 0x80 grey and 0x7F grey, two columns each, two rows (0x00RRGGBB). White and
// 0x80 change under the blend in every channel; 0x7F tells a rounded blend
// from a cut-off one.
constexpr int CheckPatchWidth = 6;
constexpr int CheckPatchHeight = 2;
constexpr int CheckPatchPixelCount = CheckPatchWidth * CheckPatchHeight;
extern const uint32_t CheckPatchPixels[CheckPatchPixelCount];
// Where the patch lies in a lens client area of this size: in the frame
// below the image, centred, one pixel in from the bottom.
LensRect CheckPatchRect(int clientWidth, int clientHeight);
// Which verdict the screen's read of pixels drawn as drawn gives (0x00RRGGBB,
// count of them): exact where they match, blended where exactly one blend
// explains every pixel (*blend gets it), unproven otherwise, and whenever
// more than one explanation fits.
ReadsVerdict JudgeReads(const uint32_t* drawn, const uint32_t* read, int count, ReadBlend* blend);
// The level drawn for each level read under the blend. Where two drawn levels
// read alike (0x7F and 0x80 rounded, 0 and 1 cut off), the one with more
// trailing zero bits, the one screens show more often: 0x80, 0.
void BuildUnblendTable(ReadBlend blend, uint8_t table[256]);
// Each channel of each pixel through the table.
void UndoBlend(uint32_t* pixels, int count, const uint8_t table[256]);
void DrawCheckPatch();  // into LensDC
// The patch as the screen gives it back now; false where it cannot be read.
bool ReadCheckPatch(uint32_t read[CheckPatchPixelCount]);
// The blend every screen read of the lens undoes from now on (ReadBlendNone:
// reads are taken as they come); true when that changed.
bool SetReadsUnblend(ReadBlend blend);
ReadBlend ReadsUnblend();
// A screen read in a surface's pixels, and a single colour read, with the
// blend in force undone.
void UnblendRead(uint32_t* pixels, int width, const LensRect& r);
COLORREF UnblendColour(COLORREF colour);
// The pixel value text. Its arithmetic draws nothing: ColourComponent gives
// 1 red, 2 green, 3 blue; FormatPixelValue writes a colour in a pixel format
// (1 BGR, 2 RGB, 3 (R,G,B); 4 "#12AB05", 5 "rgb(18, 171, 5)", 6 "hsl(115, 94%,
// 35%)", whatever the base; any other counts as BGR) and a number base (1 Hex,
// 2 Dec, 3 Bin) into text of PixelTextSize bytes, and leaves it as it was for
// a base outside 1..3 with formats 1..3.
constexpr int PixelTextSize = 50;
unsigned char ColourComponent(int index, COLORREF colour);
void UpperCaseText(char* text);
void FormatPixelValue(COLORREF colour, int pixelFormat, int numberBase, char* text);
// The text of the last refresh of an active Pro lens; what Ctrl copies.
extern char PixelText[PixelTextSize];
// The Pro strip: PointerColour's text into PixelText and the strip, drawn
// only when it changed since the strip was last drawn.
void ShowPixelValue();
// White strip above the image with the text centred in LensDC's own font.
void DrawStripText(const char* text);
void ForgetStripText();  // the strip was erased: the next text is drawn in any case

// Arithmetic of the refresh path, free of drawing (the grey bands are
// OffscreenBands of geometry.h).
// Where the self-image goes in ZoomSurface, if the lens window lies inside the
// captured area: true with the target origin in *x, *y.
bool SelfImageOffset(const LensGeometry& g, int readingFlag, int movedAside, int px, int py,
                     int* x, int* y);
// The captured cells whose change cannot change what the lens shows, in
// captured cells: those the self-image covers, one in from its edges; none
// in Pro when a cell of the block read around the pointer's own (sampleHalf
// cells each way) is among them (the strip shows its colour). Empty
// (right <= left) when there are none.
LensRect UnseenSourceCells(const LensGeometry& g, int readingFlag, int proFlag, int movedAside,
                           int px, int py, int sampleHalf = 0);
// Whether two captures of columns x rows pixels (row after row) differ
// anywhere outside the unseen cells.
bool CapturesDiffer(const uint32_t* a, const uint32_t* b, int columns, int rows,
                    const LensRect& unseen);
