#include "editors/painters.h"

#include "decor/disabled_drawing.h"
#include "editors/painter_colors.h"
#include "editors/system_colors.h"
#include "editors/theme_service.h"

#include <vssym32.h>  // the parts and states (vsstyle.h) and the theme property ids

#include <algorithm>
#include <memory>

namespace census {

namespace {

// A face lower than this (in pixels at 96 per inch), its height made even,
// gets one more pixel of room above: centred in that odd height, a low
// button's caption sits a pixel higher, clear of the frame below.
constexpr int kLowFaceHeight = 18;

// Bevel(a, b) and Frame(c) of the button frame tables: one-pixel outlines
// painted left, top, right, bottom, so the top-right and bottom-left corner
// pixels take the second colour.
void Bevel(PainterCanvas& canvas, RECT& r, TColor left_top, TColor right_bottom) {
    canvas.TwoToneFrame(r, left_top, 1, sdAll, right_bottom);
    ::InflateRect(&r, -1, -1);
}

void Frame(PainterCanvas& canvas, RECT& r, TColor color) { Bevel(canvas, r, color, color); }

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }


ArrowDirection ArrowFor(bool horizontal, ScrollPart part) {
    if (horizontal) return part == spLineBack ? adLeft : adRight;
    return part == spLineBack ? adUp : adDown;
}

}  // namespace

// --- base painter -------------------------------------------------------------

TColor LookAndFeelPainter::ButtonGlyphColor(ButtonState state) const {
    return state == edbsDisabled ? clBtnShadow : clBtnText;
}

RECT LookAndFeelPainter::ButtonFocusBounds(RECT r, int dpi) const {
    RECT inner = r;
    const int inset = ScaleDpi(4, dpi);
    ::InflateRect(&inner, -inset, -inset);
    return IsEmpty(inner) ? r : inner;
}

void LookAndFeelPainter::PaintButton(PainterCanvas& canvas, RECT r, const std::wstring& caption,
                                     ButtonState state, bool with_frame, TColor face_color,
                                     TColor text_color) const {
    if (with_frame) {
        PaintButtonFrame(canvas, r, state);
        int w = ButtonFrameWidth(state);
        ::InflateRect(&r, -w, -w);
    }
    if (face_color == clDefault) face_color = ButtonFaceColor(state);
    canvas.FillRect(r, face_color);
    if (text_color == clDefault) text_color = ButtonGlyphColor(state);
    FontSpec font = canvas.Base().Font();
    font.color = text_color;
    canvas.Base().SetFont(font);
    canvas.Base().SetBrushStyle(BrushStyle::Clear);
    if ((r.bottom - r.top) % 2 != 0) --r.bottom;
    if (r.bottom - r.top < canvas.Scaled(kLowFaceHeight)) --r.top;
    if (state == edbsPressed) ::OffsetRect(&r, ButtonPressedShift(), ButtonPressedShift());
    if (!caption.empty()) DrawButtonCaption(canvas, r, caption, state);
    canvas.Base().SetBrushStyle(BrushStyle::Solid);
}

void LookAndFeelPainter::DrawButtonCaption(PainterCanvas& canvas, RECT r, const std::wstring& caption,
                                           ButtonState state, UINT extra_flags) const {
    const UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | extra_flags;
    BrushStyle saved = canvas.Base().Brush().style;
    canvas.Base().SetBrushStyle(BrushStyle::Clear);
    if (state == edbsDisabled) {
        const FontSpec font = canvas.Base().Font();
        DrawEmbossedText(canvas.Base(), font, caption, r, flags, font.color);
    } else {
        canvas.Base().DrawText(caption, r, flags);
    }
    canvas.Base().SetBrushStyle(saved);
}

void LookAndFeelPainter::PaintButtonArrow(PainterCanvas& canvas, RECT r, ArrowDirection direction,
                                          ButtonState state) const {
    if (state == edbsPressed) ::OffsetRect(&r, ButtonPressedShift(), ButtonPressedShift());
    auto corners = ArrowTriangle(FromRect<IntRect>(r), direction);
    POINT points[3];
    auto place = [&](int dx, int dy) {
        for (int i = 0; i < 3; ++i) points[i] = {corners[i].x + dx, corners[i].y + dy};
    };
    canvas.Base().SetBrushStyle(BrushStyle::Solid);
    if (state == edbsDisabled) {
        place(1, 1);
        canvas.Polygon(points, 3, clBtnHighlight);
        place(0, 0);
        canvas.Polygon(points, 3, clBtnShadow);
    } else {
        place(0, 0);
        canvas.Polygon(points, 3, ButtonGlyphColor(state));
    }
}

void LookAndFeelPainter::PaintFlatScrollBarPart(PainterCanvas& canvas, bool horizontal, RECT r,
                                                ScrollPart part, ButtonState state, bool shrink_arrows) const {
    if (IsEmpty(r) || (part == spThumb && state == edbsDisabled)) return;
    switch (part) {
        case spLineBack:
        case spLineForward:
        case spThumb:
            PaintButton(canvas, r, std::wstring(), state, true, clDefault, clDefault);
            if (part == spThumb) break;
            if (shrink_arrows) {
                int w = ButtonFrameWidth(edbsNormal);
                ::InflateRect(&r, -w, -w);
            }
            PaintButtonArrow(canvas, r, ArrowFor(horizontal, part), state);
            break;
        case spPageBack:
        case spPageForward:
            canvas.FillRectTiled(r, state == edbsPressed ? ScrollPatternPressed() : ScrollPatternNormal());
            canvas.Base().SetBrush(BrushSpec{});
            break;
        default:
            break;
    }
}

// --- standard -------------------------------------------------------------------

void StandardLookAndFeelPainter::PaintEditBorder(PainterCanvas& canvas, RECT r) const {
    canvas.TwoToneFrame(r, clBtnShadow, 1, sdAll, clBtnHighlight);
    ::InflateRect(&r, -1, -1);
    canvas.TwoToneFrame(r, cl3DDkShadow, 1, sdAll, cl3DLight);
}

void StandardLookAndFeelPainter::PaintButtonFrame(PainterCanvas& canvas, RECT r, ButtonState state) const {
    if (state == edbsDefault) {
        Frame(canvas, r, clBlack);
        Bevel(canvas, r, clBtnHighlight, cl3DDkShadow);
        Bevel(canvas, r, cl3DLight, clBtnShadow);
    } else if (state == edbsPressed) {
        Frame(canvas, r, clBlack);
        Bevel(canvas, r, clBtnShadow, clBtnShadow);
    } else {
        Bevel(canvas, r, clBtnHighlight, cl3DDkShadow);
        Bevel(canvas, r, cl3DLight, clBtnShadow);
    }
}

void StandardLookAndFeelPainter::PaintScrollBarPart(PainterCanvas& canvas, bool horizontal, RECT r,
                                                    ScrollPart part, ButtonState state) const {
    if (IsEmpty(r) || (part == spThumb && state == edbsDisabled)) return;
    if (state == edbsHot) state = edbsNormal;
    if (part == spLineBack || part == spLineForward) {
        static const UINT kArrow[] = {DFCS_SCROLLUP, DFCS_SCROLLDOWN, DFCS_SCROLLLEFT, DFCS_SCROLLRIGHT};
        UINT flags = kArrow[ArrowFor(horizontal, part)];
        if (state == edbsPressed) flags |= DFCS_PUSHED | DFCS_FLAT;
        if (state == edbsDisabled) flags |= DFCS_INACTIVE;
        ::DrawFrameControl(canvas.Handle(), &r, DFC_SCROLL, flags);
        PaintButtonFrame(canvas, r, state == edbsPressed ? edbsPressed : edbsNormal);
        return;
    }
    if (part == spThumb) {
        PaintButtonFrame(canvas, r, edbsNormal);
        int w = ButtonFrameWidth(edbsNormal);
        ::InflateRect(&r, -w, -w);
        canvas.FillRect(r, clBtnFace);
        return;
    }
    PaintFlatScrollBarPart(canvas, horizontal, r, part, state, true);
}

// --- flat -------------------------------------------------------------------------

void FlatLookAndFeelPainter::PaintEditBorder(PainterCanvas& canvas, RECT r) const {
    canvas.BevelEdge(r, true, sdAll, true);
}

void FlatLookAndFeelPainter::PaintButtonFrame(PainterCanvas& canvas, RECT r, ButtonState state) const {
    if (state == edbsDefault) {
        Frame(canvas, r, clBlack);
        Bevel(canvas, r, clBtnHighlight, clBtnShadow);
    } else if (state == edbsPressed) {
        Bevel(canvas, r, clBtnShadow, clBtnHighlight);
    } else {
        Bevel(canvas, r, clBtnHighlight, clBtnShadow);
    }
}

void FlatLookAndFeelPainter::PaintScrollBarPart(PainterCanvas& canvas, bool horizontal, RECT r,
                                                ScrollPart part, ButtonState state) const {
    // The flat style shows no hot parts.
    if (state == edbsHot) state = edbsNormal;
    PaintFlatScrollBarPart(canvas, horizontal, r, part, state, true);
}

// --- ultra flat ---------------------------------------------------------------------

void UltraFlatLookAndFeelPainter::PaintEditBorder(PainterCanvas& canvas, RECT r) const {
    canvas.FrameBorders(r, clBtnShadow, sdAll, 1);
}

void UltraFlatLookAndFeelPainter::PaintButtonFrame(PainterCanvas& canvas, RECT r, ButtonState state) const {
    switch (state) {
        case edbsDefault:
            Frame(canvas, r, clWindowFrame);
            Frame(canvas, r, clWindowFrame);
            break;
        case edbsNormal: Frame(canvas, r, clBtnText); break;
        default: Frame(canvas, r, clHighlight); break;
    }
}

TColor UltraFlatLookAndFeelPainter::ButtonFaceColor(ButtonState state) const {
    if (state == edbsHot) return BlendedHotColor();
    if (state == edbsPressed) return BlendedPressedColor();
    return clBtnFace;
}

TColor UltraFlatLookAndFeelPainter::ButtonGlyphColor(ButtonState state) const {
    return state == edbsPressed ? clHighlightText : LookAndFeelPainter::ButtonGlyphColor(state);
}

RECT UltraFlatLookAndFeelPainter::ButtonFocusBounds(RECT r, int dpi) const {
    RECT inner = r;
    const int inset = ScaleDpi(3, dpi);
    ::InflateRect(&inner, -inset, -inset);
    return IsEmpty(inner) ? r : inner;
}

void UltraFlatLookAndFeelPainter::PaintScrollBarPart(PainterCanvas& canvas, bool horizontal, RECT r,
                                                     ScrollPart part, ButtonState state) const {
    PaintFlatScrollBarPart(canvas, horizontal, r, part, state, false);
}

// --- visual style ---------------------------------------------------------------------

namespace {

int ThemedButtonState(ButtonState state) {
    static const int kMap[] = {PBS_DEFAULTED, PBS_NORMAL, PBS_HOT, PBS_PRESSED, PBS_DISABLED};
    return kMap[state];
}

HTHEME ActiveTheme(ThemeClass cls) { return NativeThemingAvailable() ? ThemeHandle(cls) : nullptr; }

}  // namespace

int WinXPLookAndFeelPainter::EditBorderWidth() const {
    return ActiveTheme(ThemeClass::Edit) ? 1 : StandardLookAndFeelPainter::EditBorderWidth();
}

void WinXPLookAndFeelPainter::PaintEditBorder(PainterCanvas& canvas, RECT r) const {
    HTHEME theme = ActiveTheme(ThemeClass::Edit);
    if (!theme || !Theme().DrawThemeBackground) return StandardLookAndFeelPainter::PaintEditBorder(canvas, r);
    SavedDcState saved(canvas.Handle());
    RECT inner = r;
    ::InflateRect(&inner, -1, -1);
    canvas.ExcludeClipRect(inner);
    Theme().DrawThemeBackground(theme, canvas.Handle(), EP_EDITTEXT, ETS_NORMAL, &r, nullptr);
}

void WinXPLookAndFeelPainter::PaintButton(PainterCanvas& canvas, RECT r, const std::wstring& caption,
                                          ButtonState state, bool with_frame, TColor face_color,
                                          TColor text_color) const {
    HTHEME theme = ActiveTheme(ThemeClass::Button);
    if (!theme || !Theme().DrawThemeBackground) {
        return StandardLookAndFeelPainter::PaintButton(canvas, r, caption, state, with_frame, face_color,
                                                       text_color);
    }
    Theme().DrawThemeBackground(theme, canvas.Handle(), BP_PUSHBUTTON, ThemedButtonState(state), &r, nullptr);
    if (caption.empty()) return;
    FontSpec font = canvas.Base().Font();
    font.color = ButtonGlyphColor(state);
    canvas.Base().SetFont(font);
    DrawButtonCaption(canvas, r, caption, edbsNormal);
}

int WinXPLookAndFeelPainter::ButtonFrameWidth(ButtonState state) const {
    HTHEME theme = ActiveTheme(ThemeClass::Button);
    if (!theme || !Theme().GetThemeBackgroundContentRect) return 2;
    RECT r{0, 0, 100, 100}, content{};
    if (FAILED(Theme().GetThemeBackgroundContentRect(theme, nullptr, BP_PUSHBUTTON, ThemedButtonState(state),
                                                     &r, &content))) {
        return 2;
    }
    return content.left;
}

TColor WinXPLookAndFeelPainter::ButtonFaceColor(ButtonState state) const {
    HTHEME theme = ActiveTheme(ThemeClass::Button);
    COLORREF color = 0;
    if (theme && Theme().GetThemeColor &&
        SUCCEEDED(Theme().GetThemeColor(theme, BP_PUSHBUTTON, ThemedButtonState(state), TMT_COLOR, &color))) {
        return color;
    }
    return clBtnFace;
}

TColor WinXPLookAndFeelPainter::ButtonGlyphColor(ButtonState state) const {
    HTHEME theme = ActiveTheme(ThemeClass::Button);
    COLORREF color = 0;
    if (theme && Theme().GetThemeColor &&
        SUCCEEDED(Theme().GetThemeColor(theme, BP_PUSHBUTTON, ThemedButtonState(state), TMT_TEXTCOLOR, &color))) {
        return color;
    }
    return LookAndFeelPainter::ButtonGlyphColor(state);
}

RECT WinXPLookAndFeelPainter::ButtonFocusBounds(RECT r, int dpi) const {
    HTHEME theme = ActiveTheme(ThemeClass::Button);
    RECT content{};
    if (theme && Theme().GetThemeBackgroundContentRect &&
        SUCCEEDED(Theme().GetThemeBackgroundContentRect(theme, nullptr, BP_PUSHBUTTON, PBS_NORMAL, &r, &content))) {
        return content;
    }
    return LookAndFeelPainter::ButtonFocusBounds(r, dpi);
}

void WinXPLookAndFeelPainter::PaintScrollBarPart(PainterCanvas& canvas, bool horizontal, RECT r,
                                                 ScrollPart part, ButtonState state) const {
    HTHEME theme = ActiveTheme(ThemeClass::ScrollBar);
    if (!theme || !Theme().DrawThemeBackground) {
        return StandardLookAndFeelPainter::PaintScrollBarPart(canvas, horizontal, r, part, state);
    }
    if (IsEmpty(r)) return;
    int offset = state == edbsHot ? 1 : state == edbsPressed ? 2 : state == edbsDisabled ? 3 : 0;
    int theme_part = 0, theme_state = 1 + offset;
    switch (part) {
        case spLineBack:
        case spLineForward:
            theme_part = SBP_ARROWBTN;
            theme_state = 1 + ArrowFor(horizontal, part) * 4 + offset;
            break;
        case spThumb: theme_part = horizontal ? SBP_THUMBBTNHORZ : SBP_THUMBBTNVERT; break;
        case spPageBack: theme_part = horizontal ? SBP_LOWERTRACKHORZ : SBP_LOWERTRACKVERT; break;
        case spPageForward: theme_part = horizontal ? SBP_UPPERTRACKHORZ : SBP_UPPERTRACKVERT; break;
        default: return;
    }
    Theme().DrawThemeBackground(theme, canvas.Handle(), theme_part, theme_state, &r, nullptr);
}

int WinXPLookAndFeelPainter::ScrollBarMinThumbSize() const {
    HTHEME theme = ActiveTheme(ThemeClass::ScrollBar);
    SIZE size{};
    if (theme && Theme().GetThemePartSize &&
        SUCCEEDED(Theme().GetThemePartSize(theme, nullptr, SBP_GRIPPERVERT, 1, nullptr, TS_TRUE, &size)) &&
        size.cy + 4 > 7) {
        return size.cy + 4;
    }
    return 8;
}

// --- instances ---------------------------------------------------------------------------

namespace {
struct CustomInstance final : LookAndFeelPainter {};
struct StandardInstance final : StandardLookAndFeelPainter {};
struct FlatInstance final : FlatLookAndFeelPainter {};
struct UltraFlatInstance final : UltraFlatLookAndFeelPainter {};
struct WinXPInstance final : WinXPLookAndFeelPainter {};
}  // namespace

const LookAndFeelPainter& CustomPainter() {
    static const CustomInstance instance;
    return instance;
}
const LookAndFeelPainter& StandardPainter() {
    static const StandardInstance instance;
    return instance;
}
const LookAndFeelPainter& FlatPainter() {
    static const FlatInstance instance;
    return instance;
}
const LookAndFeelPainter& UltraFlatPainter() {
    static const UltraFlatInstance instance;
    return instance;
}
const LookAndFeelPainter& WinXPPainter() {
    static const WinXPInstance instance;
    return instance;
}

}  // namespace census
