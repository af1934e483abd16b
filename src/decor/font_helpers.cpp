#include "decor/font_helpers.h"

namespace census {

UniqueFont CreateRotatedFont(const FontSpec& font, int angle) {
    LOGFONTW lf{};
    lf.lfHeight = font.height;
    lf.lfEscapement = angle * 10;
    lf.lfWeight = (font.style & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (font.style & fsItalic) ? TRUE : FALSE;
    lf.lfUnderline = (font.style & fsUnderline) ? TRUE : FALSE;
    lf.lfStrikeOut = (font.style & fsStrikeOut) ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    font.name.copy(lf.lfFaceName, LF_FACESIZE - 1);
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
