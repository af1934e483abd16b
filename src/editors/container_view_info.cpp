#include "editors/container_view_info.h"

namespace census {

namespace {

// Drawn style by hot state (rows) and the style's border style (columns).
constexpr ContainerBorderStyle kDrawnStyle[3][6] = {
    {cbsNone, cbsSingle, cbsThick, cbsFlat, cbs3D, cbsSingle},
    {cbsNone, cbsSingle, cbsThick, cbsFlat, cbs3D, cbsSingle},
    {cbsFlat, cbsThick, cbsThick, cbs3D, cbs3D, cbsSingle},
};

constexpr int kBorderWidth[6] = {0, 1, 2, 2, 2, 1};

}  // namespace

ContainerViewInfo CalculateContainerViewInfo(const ContainerViewInputs& in) {
    ContainerViewInfo v;
    v.bounds = {0, 0, in.width, in.height};
    v.shadow = in.shadow;
    v.shadow_size = in.shadow ? in.shadow_size : 0;
    if (!in.enabled) {
        v.state = csDisabled;
    } else if (in.designing) {
        v.state = csNormal;
    } else {
        v.state = in.focused ? csFocused : csNormal;
        if (in.mouse_inside) v.state |= csHot;
    }
    if (!in.hot_track || in.designing) {
        v.hot_state = 0;
    } else {
        v.hot_state = (v.state & (csFocused | csHot)) ? 2 : 1;
    }
    v.drawn_style = in.border_never_drawn ? cbsNone : kDrawnStyle[v.hot_state][in.border_style];
    v.border_width = kBorderWidth[v.drawn_style];
    int extent = (in.transparent_border || in.hot_track) ? 2 : v.border_width;
    const int shadow = v.shadow_size;
    v.border_rect = {extent, extent, in.width - extent - shadow, in.height - extent - shadow};
    v.client_rect = v.border_rect;
    v.edges = in.edges;
    if (in.border_style == cbsUltraFlat) {
        bool lit = (v.state & csFocused) || ((v.state & csHot) && in.hot_track) || (in.designing && in.enabled);
        v.border_color = lit ? clHighlight : clBtnShadow;
    } else {
        v.border_color = in.border_color;
    }
    v.background = in.enabled ? in.color : clBtnFace;
    return v;
}

IntRect OuterBorderRect(const ContainerViewInfo& v) {
    IntRect r = v.border_rect;
    int w = v.border_width;
    if (v.edges & sdLeft) r.left -= w;
    if (v.edges & sdTop) r.top -= w;
    if (v.edges & sdRight) r.right += w;
    if (v.edges & sdBottom) r.bottom += w;
    return r;
}

}  // namespace census
