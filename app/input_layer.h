// The input layer (app/input_layer.cpp): the invisible full-screen window
// that takes the pointer and the keys while the lens is shown, its way of
// staying out of the screen reads, and the plan of ways the check walks.
#pragma once

#include <windows.h>

#include "app/run_facts.h"
#include "render/render.h"

// The way of the next show and the blend its reads undo, walked by the
// verdicts: "blended" undoes the blend at once, on any way, and moves on to
// the next way, read without a table until its own verdict; "unproven" there
// goes back to the blended way and its table, which then stays.
struct LayerPlan {
    LayerWay way;
    ReadBlend blend;      // undone from the show's start: the way's blend proven before
    LayerWay back;        // the way found blended before this one; way itself where none
    ReadBlend backBlend;
    bool settled;         // back on a blended way after the next proved nothing
};
LayerPlan FirstLayerPlan(LayerWay way);
struct LayerVerdictOutcome {
    LayerPlan next;
    ReadBlend undoNow;  // undone in every read from the verdict on
};
LayerVerdictOutcome PlanAfterCheck(const LayerPlan& now, ReadsVerdict verdict, ReadBlend blend,
                                   const WindowsVersionInfo& v, bool wine);

extern LayerWay LayerWayInForce;  // the input layer as it is now
extern LayerPlan NextShowLayer;   // its way made at the next show where it differs
// The plan starts from the run's first way (ThisRun.FirstLayer).
void ChooseLayerWay();
// The input layer's class, black on the Windows path.
bool RegisterInputLayerClass();
// Makes the input layer for NextShowLayer's way (over the old one, which must
// be hidden); a way the system refuses passes to the next.
void MakeInputLayer();
// At a show: the layer of the plan, and the blend its reads undo from the start.
void PrepareInputLayer();
