// The appearance settings of an edit container. A value set on the style
// wins (its bit is in AssignedValues); an unset value falls back to a default
// that may depend on the style's look and feel.
#pragma once

#include "editors/container_view_info.h"
#include "editors/look_and_feel.h"
#include "runtime/font.h"

#include <functional>

namespace census {

class Control;

enum ContainerStyleValue : unsigned {
    svBorderColor = 1u << 0,
    svBorderStyle = 1u << 1,
    svColor = 1u << 2,
    svEdges = 1u << 3,
    svFont = 1u << 4,
    svHotTrack = 1u << 5,
    svShadow = 1u << 6,
    svTransparentBorder = 1u << 7,
};

class EditStyle : private LookAndFeelListener {
public:
    // owner: the editor whose parent colour an unset Color follows.
    explicit EditStyle(Control* owner = nullptr);
    EditStyle(const EditStyle&) = delete;
    EditStyle& operator=(const EditStyle&) = delete;
    ~EditStyle();

    TColor BorderColor() const { return Has(svBorderColor) ? border_color_ : clWindowFrame; }
    ContainerBorderStyle BorderStyle() const;
    TColor Color() const;
    Sides Edges() const { return Has(svEdges) ? edges_ : sdAll; }
    const FontSpec& Font() const { return font_; }
    bool HotTrack() const { return Has(svHotTrack) ? hot_track_ : true; }
    bool Shadow() const { return Has(svShadow) ? shadow_ : false; }
    bool TransparentBorder() const { return Has(svTransparentBorder) ? transparent_border_ : true; }

    void SetBorderColor(TColor v) { Set(svBorderColor, border_color_, v); }
    void SetBorderStyle(ContainerBorderStyle v) { Set(svBorderStyle, border_style_, v); }
    void SetColor(TColor v) { Set(svColor, color_, v); }
    void SetEdges(unsigned v) { Set(svEdges, edges_, v); }
    void SetFont(const FontSpec& v) { Set(svFont, font_, v); }
    void SetHotTrack(bool v) { Set(svHotTrack, hot_track_, v); }
    void SetShadow(bool v) { Set(svShadow, shadow_, v); }
    void SetTransparentBorder(bool v) { Set(svTransparentBorder, transparent_border_, v); }

    unsigned AssignedValues() const { return assigned_; }
    void SetAssignedValues(unsigned values);

    LookAndFeel& GetLookAndFeel() { return look_and_feel_; }
    const LookAndFeel& GetLookAndFeel() const { return look_and_feel_; }

    // Changes inside an update pair are delivered once, at the end.
    void BeginUpdate() { ++update_count_; }
    void EndUpdate();

    std::function<void()> OnChanged;

private:
    bool Has(ContainerStyleValue v) const { return (assigned_ & v) != 0; }
    template <typename T>
    void Set(ContainerStyleValue bit, T& field, const T& value) {
        if (Has(bit) && field == value) return;
        assigned_ |= bit;
        field = value;
        Changed();
    }
    void Changed();
    void LookAndFeelChanged(LookAndFeel&, LookAndFeelValues) override { Changed(); }
    void LookAndFeelDestroying(LookAndFeel&) override {}

    Control* owner_;
    unsigned assigned_ = 0;
    TColor border_color_ = clWindowFrame;
    ContainerBorderStyle border_style_ = cbsFlat;
    TColor color_ = clWindow;
    Sides edges_ = sdAll;
    FontSpec font_;
    bool hot_track_ = true;
    bool shadow_ = false;
    bool transparent_border_ = true;
    LookAndFeel look_and_feel_;
    int update_count_ = 0;
    bool change_pending_ = false;
};

}  // namespace census
