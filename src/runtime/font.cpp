#include "runtime/font.h"

namespace census {

LOGFONTW LogFontFor(const FontSpec& font) {
    LOGFONTW lf{};
    lf.lfHeight = font.height;
    lf.lfWeight = (font.style & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (font.style & fsItalic) ? TRUE : FALSE;
    lf.lfUnderline = (font.style & fsUnderline) ? TRUE : FALSE;
    lf.lfStrikeOut = (font.style & fsStrikeOut) ? TRUE : FALSE;
    lf.lfCharSet = font.charset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    font.name.copy(lf.lfFaceName, LF_FACESIZE - 1);
    return lf;
}

UniqueFont CreateFontFor(const FontSpec& font) {
    LOGFONTW lf = LogFontFor(font);
    return UniqueFont(::CreateFontIndirectW(&lf));
}

FontSpec DescribeFont(HFONT font, TColor color) {
    LOGFONTW lf{};
    ::GetObjectW(font, sizeof(lf), &lf);
    FontSpec described;
    described.name = lf.lfFaceName;
    described.height = lf.lfHeight;
    described.color = color;
    described.charset = lf.lfCharSet;
    described.style = (lf.lfWeight >= FW_BOLD ? fsBold : 0u) | (lf.lfItalic ? fsItalic : 0u) |
                 (lf.lfUnderline ? fsUnderline : 0u) | (lf.lfStrikeOut ? fsStrikeOut : 0u);
    return described;
}

}  // namespace census
