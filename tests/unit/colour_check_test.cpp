// The check of the screen reads against the patch the lens drew, the blend it
// undoes, and the ways of keeping the input layer out of the reads that its
// verdicts walk: worked by hand.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/colour_check.h"
#include "app/input_layer.h"
#include "app/run_facts.h"
#include "app/tray.h"
#include "render/render.h"
#include "support.h"

namespace {

std::vector<uint32_t> Patch() {
    return std::vector<uint32_t>(CheckPatchPixels, CheckPatchPixels + CheckPatchPixelCount);
}

// The patch with its three colours read as these.
std::vector<uint32_t> PatchReadAs(uint32_t white, uint32_t grey80, uint32_t grey7F) {
    std::vector<uint32_t> p = Patch();
    for (uint32_t& c : p)
        c = c == 0x00FFFFFF ? white : c == 0x00808080 ? grey80 : grey7F;
    return p;
}

// Through a black layer at alpha 1 whose blend is rounded: white FEFEFE, 0x80
// 7F7F7F, 0x7F stays.
std::vector<uint32_t> RoundedPatch() {
    return PatchReadAs(0x00FEFEFE, 0x007F7F7F, 0x007F7F7F);
}

ReadsVerdict Judge(const std::vector<uint32_t>& read, ReadBlend* blend) {
    return JudgeReads(CheckPatchPixels, read.data(), static_cast<int>(read.size()), blend);
}

TEST(ReadsCheck, VerdictsOnWhatTheScreenGivesBack) {
    ReadBlend blend = ReadBlendRounded;
    // The screen gives back what was drawn.
    EXPECT_EQ(Judge(Patch(), &blend), ReadsExact);
    EXPECT_EQ(blend, ReadBlendNone);

    // Through the layer, rounded (as Wine's compositors blend it).
    EXPECT_EQ(Judge(RoundedPatch(), &blend), ReadsBlended);
    EXPECT_EQ(blend, ReadBlendRounded);

    // Cut off: 0x7F reads 0x7E too.
    EXPECT_EQ(Judge(PatchReadAs(0x00FEFEFE, 0x007F7F7F, 0x007E7E7E), &blend), ReadsBlended);
    EXPECT_EQ(blend, ReadBlendTruncated);

    // One pixel one level off beyond the blend: a window edge, a cursor, a
    // part composed late. Neither explanation holds.
    std::vector<uint32_t> off = RoundedPatch();
    off[0] = 0x00FDFEFE;
    EXPECT_EQ(Judge(off, &blend), ReadsUnproven);
    EXPECT_EQ(blend, ReadBlendNone);

    // Half composed: some pixels blended, some not.
    std::vector<uint32_t> half = Patch();
    half[1] = 0x00FEFEFE;
    EXPECT_EQ(Judge(half, &blend), ReadsUnproven);

    // Another window over the lens, the lens not composed yet (the desktop
    // under it), a brighter or darker conversion (HDR), a scaled patch.
    EXPECT_EQ(Judge(std::vector<uint32_t>(CheckPatchPixelCount, 0x003A6EA5), &blend),
              ReadsUnproven);
    EXPECT_EQ(Judge(PatchReadAs(0x00FFFFFF, 0x00898989, 0x00888888), &blend), ReadsUnproven);
    EXPECT_EQ(Judge(PatchReadAs(0x00F2F2F2, 0x00797979, 0x00787878), &blend), ReadsUnproven);
    std::vector<uint32_t> scaled = Patch();
    scaled[3] = scaled[4] = 0x007F7F7F;  // the 0x80 column smeared into the 0x7F one
    scaled[2] = 0x00BFBFBF;
    EXPECT_EQ(Judge(scaled, &blend), ReadsUnproven);

    // A blend in one channel only is no blend of a black layer.
    EXPECT_EQ(Judge(PatchReadAs(0x00FEFFFF, 0x007F8080, 0x007F7F7F), &blend), ReadsUnproven);
}

TEST(ReadsCheck, PixelsThatReadAlikeUnderTwoExplanationsProveNothing) {
    ReadBlend blend = ReadBlendRounded;
    // Levels below 0x80 read the same through a rounded blend as without it.
    const uint32_t drawn[] = {0x00404040, 0x007F7F7F, 0x00000000};
    EXPECT_EQ(JudgeReads(drawn, drawn, 3, &blend), ReadsUnproven);
    EXPECT_EQ(blend, ReadBlendNone);
    // White and 0x80 alone read alike rounded and cut off.
    const uint32_t light[] = {0x00FFFFFF, 0x00808080};
    const uint32_t dimmed[] = {0x00FEFEFE, 0x007F7F7F};
    EXPECT_EQ(JudgeReads(light, dimmed, 2, &blend), ReadsUnproven);
    EXPECT_EQ(JudgeReads(light, light, 0, &blend), ReadsUnproven);
}

TEST(ReadsCheck, BlendedLevelsWorkedByHand) {
    // c * 254 / 255: 0x80 is 127.498, 0x7F 126.502, 0x55 84.667, 1 0.996.
    const int rounded[][2] = {{0xFF, 0xFE}, {0x80, 0x7F}, {0x7F, 0x7F}, {0x55, 0x55}, {1, 1}};
    for (const auto& l : rounded)
        EXPECT_EQ(BlendedLevel(ReadBlendRounded, l[0]), l[1]) << l[0];
    const int cut[][2] = {{0xFF, 0xFE}, {0x80, 0x7F}, {0x7F, 0x7E}, {0x55, 0x54}, {1, 0}};
    for (const auto& l : cut)
        EXPECT_EQ(BlendedLevel(ReadBlendTruncated, l[0]), l[1]) << l[0];
}

TEST(ReadsCheck, TheTableGivesBackEveryLevelButOnePerChannel) {
    for (ReadBlend blend : {ReadBlendRounded, ReadBlendTruncated}) {
        uint8_t table[256];
        BuildUnblendTable(blend, table);
        int lost = -1, wrong = 0;
        for (int d = 0; d < 256; ++d)
            if (table[BlendedLevel(blend, d)] != d) {
                lost = d;
                ++wrong;
            }
        EXPECT_EQ(wrong, 1) << "blend " << blend;
        // The level lost is the one screens show less: 0x7F of 0x7F and
        // 0x80, 1 of 0 and 1.
        EXPECT_EQ(lost, blend == ReadBlendRounded ? 0x7F : 0x01);
    }
    uint8_t table[256];
    BuildUnblendTable(ReadBlendRounded, table);
    EXPECT_EQ(table[0x7F], 0x80);
    EXPECT_EQ(table[0xFE], 0xFF);
    EXPECT_EQ(table[0x40], 0x40);
    EXPECT_EQ(table[0xFF], 0xFF);  // no level reads 0xFF through the layer: kept
    BuildUnblendTable(ReadBlendNone, table);
    for (int r = 0; r < 256; ++r)
        EXPECT_EQ(table[r], r);
}

TEST(ReadsCheck, UndoingTheBlendTakesEachChannelOnItsOwn) {
    uint8_t table[256];
    BuildUnblendTable(ReadBlendRounded, table);
    // Read through the layer: F0C080 as EFBF7F, 0180FE as 017FFD.
    uint32_t pixels[] = {0xFFEFBF7F, 0x00017FFD, 0x00FEFEFE};
    UndoBlend(pixels, 3, table);
    EXPECT_EQ(pixels[0], 0xFFF0C080u);  // the fourth byte is left as it was
    EXPECT_EQ(pixels[1], 0x000180FEu);
    EXPECT_EQ(pixels[2], 0x00FFFFFFu);
}

TEST(ReadsCheck, ThePatchLiesInTheFrameBelowTheImageOfEveryLayout) {
    // 444 x 254 window, client edge 2 each side: client 440 x 250. In the
    // middle of the bottom frame, where no rounded corner reaches.
    const LensRect r = CheckPatchRect(440, 250);
    EXPECT_EQ(r.left, 217);
    EXPECT_EQ(r.top, 247);
    EXPECT_EQ(r.right, 223);
    EXPECT_EQ(r.bottom, 249);
    const SystemFacts desk = Desk(0, 0, 1280, 1024, 1280, 1024);
    for (int mode : {0, 1, 2})
        for (int format : {11, 13, 16, 21, 24, 26, 31, 33})
            for (int factor : {2, 6, 10}) {
                if ((mode == 2) != (format >= 31))
                    continue;
                const LensGeometry g = LaidOut(factor, format, mode == 1 ? 1 : 0, desk);
                const LensRect p = CheckPatchRect(g.WindowWidth - 4, g.WindowHeight - 4);
                SCOPED_TRACE(std::to_string(mode) + " " + std::to_string(format) + " " +
                             std::to_string(factor));
                EXPECT_GE(p.top, g.ImageTop + g.ImageHeight + 1);
                // Windows 11 rounds by 8 pixels at most.
                EXPECT_GE(p.left, 8);
                EXPECT_LE(p.right, g.WindowWidth - 4 - 8);
            }
}

constexpr WindowsVersionInfo Xp{5, 1, 2600};
constexpr WindowsVersionInfo Seven{6, 1, 7601};
constexpr WindowsVersionInfo Eight{6, 2, 9200};
constexpr WindowsVersionInfo Ten1909{10, 0, 18363};
constexpr WindowsVersionInfo Ten2004{10, 0, 19041};
constexpr WindowsVersionInfo Eleven{10, 0, 22631};

TEST(LayerWays, TheFirstWayForEachSystem) {
    EXPECT_EQ(FirstLayerWay(Seven, true, false), LayerAlphaZero);  // Wine, any version
    EXPECT_EQ(FirstLayerWay(Ten2004, true, false), LayerAlphaZero);
    EXPECT_EQ(FirstLayerWay(Xp, false, true), LayerAlphaOne);
    EXPECT_EQ(FirstLayerWay(Seven, false, true), LayerAlphaOne);
    EXPECT_EQ(FirstLayerWay(Eight, false, true), LayerNoRedirection);
    EXPECT_EQ(FirstLayerWay(Ten1909, false, true), LayerNoRedirection);
    EXPECT_EQ(FirstLayerWay(Ten2004, false, true), LayerExcluded);
    EXPECT_EQ(FirstLayerWay(Eleven, false, true), LayerExcluded);
    // The Windows path under Wine: the exclusion is asked for; a refusal
    // passes over the layer without redirection surface, which Wine draws black.
    EXPECT_EQ(FirstLayerWay(Ten2004, true, true), LayerExcluded);
    EXPECT_EQ(WayAfter(LayerExcluded, Ten2004, true), LayerAlphaOne);
    EXPECT_EQ(WayAfter(LayerExcluded, Ten2004, false), LayerNoRedirection);
    EXPECT_EQ(WayAfter(LayerNoRedirection, Eight, false), LayerAlphaOne);
}

// The walk over shows, each show's verdict deciding the way of the next and
// the blend its reads undo.
struct Show {
    ReadsVerdict verdict;
    ReadBlend found;        // the blend the check identified, where blended
    LayerWay wayChecked;
    ReadBlend fromStart;    // undone from the show's start
    ReadBlend afterVerdict; // undone from the verdict on
};

void Walk(const WindowsVersionInfo& v, bool wine, const std::vector<Show>& shows) {
    LayerPlan plan = FirstLayerPlan(FirstLayerWay(v, wine, true));
    for (size_t i = 0; i < shows.size(); ++i) {
        SCOPED_TRACE("show " + std::to_string(i + 1));
        const Show& s = shows[i];
        EXPECT_EQ(plan.way, s.wayChecked);
        EXPECT_EQ(plan.blend, s.fromStart);
        const LayerVerdictOutcome outcome = PlanAfterCheck(plan, s.verdict, s.found, v, wine);
        EXPECT_EQ(outcome.undoNow, s.afterVerdict);
        plan = outcome.next;
    }
}

constexpr ReadBlend None = ReadBlendNone;
constexpr ReadBlend Rounded = ReadBlendRounded;
constexpr ReadBlend Cut = ReadBlendTruncated;

TEST(LayerWays, ABlendIsUndoneAtOnceOnAnyWayAndTheNextWayIsReadWithoutATable) {
    // Windows 11, the exclusion accepted but the layer still in the reads:
    // undone at once; the next way keeps out of the reads.
    Walk(Eleven, false,
         {{ReadsBlended, Rounded, LayerExcluded, None, Rounded},
          {ReadsExact, None, LayerNoRedirection, None, None},
          {ReadsExact, None, LayerNoRedirection, None, None}});
    // Every way blended, the last one cut off: each blend undone as found;
    // the last way keeps its table, also through a check that proves nothing.
    Walk(Eleven, false,
         {{ReadsBlended, Rounded, LayerExcluded, None, Rounded},
          {ReadsBlended, Rounded, LayerNoRedirection, None, Rounded},
          {ReadsBlended, Cut, LayerAlphaOne, None, Cut},
          {ReadsUnproven, None, LayerAlphaOne, Cut, Cut},
          {ReadsBlended, Cut, LayerAlphaOne, Cut, Cut},
          {ReadsExact, None, LayerAlphaOne, Cut, None},
          {ReadsUnproven, None, LayerAlphaOne, None, None}});
    // Windows 10 1909, the first check too early to prove anything, then
    // the layer without redirection surface found blended.
    Walk(Ten1909, false, {{ReadsUnproven, None, LayerNoRedirection, None, None},
                          {ReadsBlended, Rounded, LayerNoRedirection, None, Rounded},
                          {ReadsExact, None, LayerAlphaOne, None, None}});
    // Windows 7 keeps layered windows out of its reads: exact, no table.
    Walk(Seven, false, {{ReadsExact, None, LayerAlphaOne, None, None}});
    // The Windows path under Wine (the layer in the reads): the exclusion
    // accepted, then the alpha-1 layer, both blended and undone at once.
    Walk(Ten2004, true, {{ReadsBlended, Rounded, LayerExcluded, None, Rounded},
                         {ReadsBlended, Rounded, LayerAlphaOne, None, Rounded},
                         {ReadsBlended, Rounded, LayerAlphaOne, Rounded, Rounded}});
    // Wine's own layer has no way after it.
    const LayerVerdictOutcome own =
        PlanAfterCheck(FirstLayerPlan(LayerAlphaZero), ReadsBlended, Rounded, Ten2004, true);
    EXPECT_EQ(own.next.way, LayerAlphaZero);
    EXPECT_EQ(own.next.blend, Rounded);
    EXPECT_EQ(own.undoNow, Rounded);
}

TEST(LayerWays, ANextWayThatProvesNothingGoesBackToTheBlendedWayForGood) {
    // The next way proves nothing (a window over the lens, say): back to the
    // blended way with its table from the start, and there it stays, rather
    // than reading one level low at every other show.
    Walk(Eleven, false,
         {{ReadsBlended, Rounded, LayerExcluded, None, Rounded},
          {ReadsUnproven, None, LayerNoRedirection, None, None},
          {ReadsBlended, Rounded, LayerExcluded, Rounded, Rounded},
          {ReadsBlended, Rounded, LayerExcluded, Rounded, Rounded},
          {ReadsUnproven, None, LayerExcluded, Rounded, Rounded},
          // Proven exact there later: no table from then on.
          {ReadsExact, None, LayerExcluded, Rounded, None},
          {ReadsExact, None, LayerExcluded, None, None}});
}

TEST(TrayTip, TheVerdictsPhraseEndsTheTip) {
    EXPECT_STREQ(ColoursPhrase(ReadsExact, false), L"colours exact");
    EXPECT_STREQ(ColoursPhrase(ReadsBlended, false), L"colours within one level");
    EXPECT_STREQ(ColoursPhrase(ReadsUnproven, false), L"colours unproven");
    // On an HDR monitor the reads are tone-mapped: only exact says more.
    EXPECT_STREQ(ColoursPhrase(ReadsExact, true), L"colours exact");
    EXPECT_STREQ(ColoursPhrase(ReadsBlended, true), L"colours approximate (HDR)");
    EXPECT_STREQ(ColoursPhrase(ReadsUnproven, true), L"colours approximate (HDR)");
    // A failed save ends the tip until a save succeeds.
    EXPECT_EQ(TipTrailing(ReadsUnproven, true, true),
              L"colours approximate (HDR), settings not saved");
    EXPECT_EQ(TipTrailing(ReadsExact, false, false), L"colours exact");
    EXPECT_EQ(TrayTipText(6, true, ColoursPhrase(ReadsBlended, false), true),
              L"Vellix \u2013 6\u00D7, Win+Shift+Z, colours within one level");
    // Cut to the record's size, always ended.
    char shortTip[12];
    AnsiTrayTip(shortTip, 12, 6, true, ColoursPhrase(ReadsExact, false), 1252);
    EXPECT_STREQ(shortTip, "Vellix - 6x");
    char none[1] = {'x'};
    AnsiTrayTip(none, 1, 6, true, ColoursPhrase(ReadsExact, false), 1252);
    EXPECT_EQ(none[0], '\0');
}

TEST(TrayTip, HdrIsAdvancedColourEnabledWithoutWideColourEnforced) {
    // Bits: 1 supported, 2 enabled, 4 wide colour enforced.
    EXPECT_FALSE(AdvancedColourIsHdr(0x0));
    EXPECT_FALSE(AdvancedColourIsHdr(0x1));  // an HDR display with HDR off
    EXPECT_TRUE(AdvancedColourIsHdr(0x3));
    EXPECT_FALSE(AdvancedColourIsHdr(0x7));  // an SDR display in wide colour
    EXPECT_FALSE(AdvancedColourIsHdr(0x5));
    // The test display (Xvfb under Wine) has no advanced colour.
    EXPECT_FALSE(MonitorRunsHdr(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY)));
}

}  // namespace
