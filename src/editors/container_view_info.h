// The appearance of an edit container, computed from its style and state:
// which border is drawn, how wide, in which colours, and where the inner
// control goes. Painting uses only this record. No platform calls.
#pragma once

#include "decor/sides.h"
#include "editors/paint_math.h"
#include "runtime/colors.h"

namespace census {

enum ContainerBorderStyle { cbsNone = 0, cbsSingle = 1, cbsThick = 2, cbsFlat = 3, cbs3D = 4, cbsUltraFlat = 5 };

enum ContainerState : unsigned { csFocused = 1, csDisabled = 2, csHot = 4, csNormal = 8 };

// How far the drop shadow reaches right and down beyond the border, in
// pixels at 96 per inch.
constexpr int kShadowDepth = 3;

struct ContainerViewInputs {
    int width = 0, height = 0;
    bool enabled = true;
    bool designing = false;
    bool focused = false;
    bool mouse_inside = false;  // already filtered by whether the mouse counts
    bool border_never_drawn = false;  // controls that draw no border whatever the style says
    ContainerBorderStyle border_style = cbsFlat;
    bool hot_track = true;
    bool transparent_border = true;
    bool shadow = false;
    int shadow_size = kShadowDepth;  // at the control's density
    Sides edges = sdAll;
    TColor color = clWindow;
    TColor border_color = clWindowFrame;
};

struct ContainerViewInfo {
    TColor background = clWindow;
    TColor border_color = clWindowFrame;
    IntRect bounds, border_rect, client_rect;
    ContainerBorderStyle drawn_style = cbsNone;
    int border_width = 0;
    unsigned state = csNormal;
    Sides edges = sdAll;
    int hot_state = 0;  // 0 no hot tracking, 1 tracking, 2 tracking and focused or hot
    bool shadow = false;
    int shadow_size = 0;  // the drop shadow's depth when there is one
    bool operator==(const ContainerViewInfo&) const = default;
};

ContainerViewInfo CalculateContainerViewInfo(const ContainerViewInputs& in);

// The border rectangle grown by the border width on every side in edges:
// what the window region keeps.
IntRect OuterBorderRect(const ContainerViewInfo& view);

}  // namespace census
