// Painters: stateless drawing styles for the editor controls.
//
// A painter is a reference to one of the singleton objects below. Operations
// call each other through the virtual table, so a painter that overrides one
// operation (a frame, a face colour) changes every drawing that uses it.
#pragma once

#include "editors/look_and_feel.h"
#include "editors/paint_math.h"
#include "editors/painter_canvas.h"

#include <string>

namespace census {

enum ButtonState { edbsDefault = 0, edbsNormal = 1, edbsHot = 2, edbsPressed = 3, edbsDisabled = 4 };


class LookAndFeelPainter {
public:
    LookAndFeelPainter() = default;
    LookAndFeelPainter(const LookAndFeelPainter&) = delete;
    LookAndFeelPainter& operator=(const LookAndFeelPainter&) = delete;

    virtual LookAndFeelKind PainterKind() const { return lfFlat; }

    virtual int EditBorderWidth() const { return 0; }
    virtual void PaintEditBorder(PainterCanvas& canvas, RECT r) const {}

    virtual void PaintButton(PainterCanvas& canvas, RECT r, const std::wstring& caption, ButtonState state,
                             bool with_frame, TColor face_color, TColor text_color) const;
    virtual void PaintButtonFrame(PainterCanvas& canvas, RECT r, ButtonState state) const {}
    virtual int ButtonFrameWidth(ButtonState state) const { return 0; }
    virtual TColor ButtonFaceColor(ButtonState state) const { return clBtnFace; }
    virtual TColor ButtonGlyphColor(ButtonState state) const;
    virtual int ButtonCaptionInset() const { return 0; }
    virtual int ButtonPressedShift() const { return 0; }
    // The focus rectangle inside a button's bounds, its inset scaled to `dpi`.
    virtual RECT ButtonFocusBounds(RECT r, int dpi) const;
    virtual bool HotTracksButtons() const { return false; }
    virtual void PaintButtonArrow(PainterCanvas& canvas, RECT r, ArrowDirection direction,
                                  ButtonState state) const;

    virtual void PaintScrollBarPart(PainterCanvas& canvas, bool horizontal, RECT r, ScrollPart part,
                                    ButtonState state) const {}
    // At 96 pixels per inch; the scroll bar scales it.
    virtual int ScrollBarMinThumbSize() const { return 8; }

    // Single-line text centred in r; embossed when disabled.
    void DrawButtonCaption(PainterCanvas& canvas, RECT r, const std::wstring& caption, ButtonState state,
                           UINT extra_flags = 0) const;

protected:
    ~LookAndFeelPainter() = default;
    // Frame and face of a scroll-bar button, thumb or page area the flat way.
    void PaintFlatScrollBarPart(PainterCanvas& canvas, bool horizontal, RECT r, ScrollPart part,
                                ButtonState state, bool shrink_arrows) const;
};

class StandardLookAndFeelPainter : public LookAndFeelPainter {
public:
    LookAndFeelKind PainterKind() const override { return lfStandard; }
    int EditBorderWidth() const override { return 2; }
    void PaintEditBorder(PainterCanvas& canvas, RECT r) const override;
    void PaintButtonFrame(PainterCanvas& canvas, RECT r, ButtonState state) const override;
    int ButtonFrameWidth(ButtonState state) const override { return state == edbsDefault ? 3 : 2; }
    int ButtonCaptionInset() const override { return 1; }
    int ButtonPressedShift() const override { return 1; }
    void PaintScrollBarPart(PainterCanvas& canvas, bool horizontal, RECT r, ScrollPart part,
                            ButtonState state) const override;

protected:
    ~StandardLookAndFeelPainter() = default;
};

class FlatLookAndFeelPainter : public LookAndFeelPainter {
public:
    LookAndFeelKind PainterKind() const override { return lfFlat; }
    int EditBorderWidth() const override { return 1; }
    void PaintEditBorder(PainterCanvas& canvas, RECT r) const override;
    void PaintButtonFrame(PainterCanvas& canvas, RECT r, ButtonState state) const override;
    int ButtonFrameWidth(ButtonState state) const override { return state == edbsDefault ? 2 : 1; }
    int ButtonCaptionInset() const override { return 1; }
    int ButtonPressedShift() const override { return 1; }
    void PaintScrollBarPart(PainterCanvas& canvas, bool horizontal, RECT r, ScrollPart part,
                            ButtonState state) const override;

protected:
    ~FlatLookAndFeelPainter() = default;
};

class UltraFlatLookAndFeelPainter : public LookAndFeelPainter {
public:
    LookAndFeelKind PainterKind() const override { return lfUltraFlat; }
    int EditBorderWidth() const override { return 1; }
    void PaintEditBorder(PainterCanvas& canvas, RECT r) const override;
    void PaintButtonFrame(PainterCanvas& canvas, RECT r, ButtonState state) const override;
    int ButtonFrameWidth(ButtonState state) const override { return state == edbsDefault ? 2 : 1; }
    TColor ButtonFaceColor(ButtonState state) const override;
    TColor ButtonGlyphColor(ButtonState state) const override;
    int ButtonCaptionInset() const override { return 2; }
    RECT ButtonFocusBounds(RECT r, int dpi) const override;
    bool HotTracksButtons() const override { return true; }
    void PaintScrollBarPart(PainterCanvas& canvas, bool horizontal, RECT r, ScrollPart part,
                            ButtonState state) const override;

protected:
    ~UltraFlatLookAndFeelPainter() = default;
};

// Draws through the visual style where one is active; the standard painter's
// drawing otherwise.
class WinXPLookAndFeelPainter : public StandardLookAndFeelPainter {
public:
    int EditBorderWidth() const override;
    void PaintEditBorder(PainterCanvas& canvas, RECT r) const override;
    void PaintButton(PainterCanvas& canvas, RECT r, const std::wstring& caption, ButtonState state,
                     bool with_frame, TColor face_color, TColor text_color) const override;
    int ButtonFrameWidth(ButtonState state) const override;
    TColor ButtonFaceColor(ButtonState state) const override;
    TColor ButtonGlyphColor(ButtonState state) const override;
    int ButtonCaptionInset() const override { return 2; }
    int ButtonPressedShift() const override { return 0; }
    RECT ButtonFocusBounds(RECT r, int dpi) const override;
    bool HotTracksButtons() const override { return true; }
    void PaintScrollBarPart(PainterCanvas& canvas, bool horizontal, RECT r, ScrollPart part,
                            ButtonState state) const override;
    int ScrollBarMinThumbSize() const override;

protected:
    ~WinXPLookAndFeelPainter() = default;
};

const LookAndFeelPainter& CustomPainter();
const LookAndFeelPainter& StandardPainter();
const LookAndFeelPainter& FlatPainter();
const LookAndFeelPainter& UltraFlatPainter();
const LookAndFeelPainter& WinXPPainter();

}  // namespace census
