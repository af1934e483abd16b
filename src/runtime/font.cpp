#include "runtime/font.h"

namespace census {

UniqueFont CreateFontFor(const FontSpec& spec) {
    LOGFONTW lf{};
    lf.lfHeight = spec.height;
    lf.lfWeight = (spec.style & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (spec.style & fsItalic) ? TRUE : FALSE;
    lf.lfUnderline = (spec.style & fsUnderline) ? TRUE : FALSE;
    lf.lfStrikeOut = (spec.style & fsStrikeOut) ? TRUE : FALSE;
    lf.lfCharSet = spec.charset;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH;
    spec.name.copy(lf.lfFaceName, LF_FACESIZE - 1);
    return UniqueFont(::CreateFontIndirectW(&lf));
}

FontSpec DescribeFont(HFONT font, TColor color) {
    LOGFONTW lf{};
    ::GetObjectW(font, sizeof(lf), &lf);
    FontSpec spec;
    spec.name = lf.lfFaceName;
    spec.height = lf.lfHeight;
    spec.color = color;
    spec.charset = lf.lfCharSet;
    spec.style = (lf.lfWeight >= FW_BOLD ? fsBold : 0u) | (lf.lfItalic ? fsItalic : 0u) |
                 (lf.lfUnderline ? fsUnderline : 0u) | (lf.lfStrikeOut ? fsStrikeOut : 0u);
    return spec;
}

}  // namespace census
