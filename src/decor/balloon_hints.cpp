#include "decor/balloon_hints.h"

#include "runtime/application.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace census {

namespace {

// Live components in the order they were made.
std::vector<BalloonHints*>& LiveComponents() {
    static std::vector<BalloonHints*> live;
    return live;
}

}  // namespace

BalloonHints* NewestBalloonHints() { return LiveComponents().empty() ? nullptr : LiveComponents().back(); }

// --- bitmaps ---------------------------------------------------------------------

std::array<bool, 4> BalloonBitmaps::Present() const {
    return {HasPicture(hcLowerRight), HasPicture(hcLowerLeft), HasPicture(hcUpperLeft), HasPicture(hcUpperRight)};
}

void BalloonBitmaps::SetPicture(HintCorner corner, HBITMAP picture) {
    if (picture == pictures_[corner].get()) return;
    UniqueBitmap copy;
    if (picture) copy.reset(static_cast<HBITMAP>(::CopyImage(picture, IMAGE_BITMAP, 0, 0, 0)));
    pictures_[corner] = std::move(copy);
    if (OnChange) OnChange();
}

// --- component ---------------------------------------------------------------------

BalloonHints::BalloonHints() {
    LiveComponents().push_back(this);
    HintManager& hints = Application::Instance().Hints();
    hints.HintShortPause = 50;
    old_factory_ = hints.HintWindowFactory();
    hints.SetHintWindowFactory([] { return std::make_unique<BalloonHintWindow>(); });
    bitmaps_.OnChange = [this] {
        if (window_) window_->Invalidate();
    };
}

BalloonHints::~BalloonHints() {
    auto& live = LiveComponents();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    UnlinkBalloonHintWindows(*this);
    Application::Instance().Hints().SetHintWindowFactory(std::move(old_factory_));
}

void BalloonHints::SetAlignment(TextAlignment alignment) {
    alignment_ = alignment;
    if (window_) window_->SetAlignment(alignment);
}

void BalloonHints::SetCaptionWidth(int width) {
    caption_width_ = width;
    if (window_) window_->SetCaptionWidth(width);
}

void BalloonHints::SetColor(TColor color) {
    color_ = color;
    if (window_) window_->SetColor(color);
}

void BalloonHints::SetCorner(HintCorner corner) {
    corner_ = corner;
    if (window_) window_->SetCorner(corner);
}

void BalloonHints::SetFont(const FontSpec& font) {
    font_ = font;
    if (window_) window_->SetFont(font);
}

// The text's width and font are sizes; the window draws the balloon at the density too.
void BalloonHints::ScaleComponent(int new_dpi, int old_dpi) {
    dpi_ = new_dpi;
    FontSpec font = font_;
    font.height = ScaleDpi(font.height, new_dpi, old_dpi);
    SetFont(font);
    SetCaptionWidth(ScaleDpi(caption_width_, new_dpi, old_dpi));
    if (window_) window_->SetDpi(dpi_);
}

unsigned BalloonHints::HintPause() const { return Application::Instance().Hints().HintPause; }

void BalloonHints::SetHintPause(unsigned ms) { Application::Instance().Hints().HintPause = ms; }

unsigned BalloonHints::HintShortPause() const { return Application::Instance().Hints().HintShortPause; }

void BalloonHints::SetHintShortPause(unsigned ms) { Application::Instance().Hints().HintShortPause = ms; }

void BalloonHints::SetOnSetHintWinSize(SetHintWinSizeEvent handler) {
    on_set_size_ = std::move(handler);
    if (window_) window_->OnSetHintWinSize = on_set_size_;
}

void BalloonHints::SetOnSetHintRect(SetHintRectEvent handler) {
    on_set_rect_ = std::move(handler);
    if (window_) window_->OnSetHintRect = on_set_rect_;
}

}  // namespace census
