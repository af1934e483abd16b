#include "decor/font_helpers.h"

namespace census {

UniqueFont CreateRotatedFont(const FontSpec& font, int angle) {
    LOGFONTW lf = LogFontFor(font);
    lf.lfEscapement = angle * 10;
    lf.lfCharSet = DEFAULT_CHARSET;
    return UniqueFont(::CreateFontIndirectW(&lf));
}

bool IsTrueTypeFont(const FontSpec& font) {
    WindowDc screen(nullptr);
    UniqueFont handle = CreateFontFor(font);
    SelectGuard selected(screen.get(), handle.get());
    TEXTMETRICW tm{};
    ::GetTextMetricsW(screen.get(), &tm);
    return (tm.tmPitchAndFamily & TMPF_TRUETYPE) != 0;
}

}  // namespace census
