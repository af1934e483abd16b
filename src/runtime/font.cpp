#include "runtime/font.h"

#include <algorithm>
#include <iterator>

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

namespace {

TEXTMETRICW MetricsOf(HFONT font) {
    WindowDc screen(nullptr);
    SelectGuard selected(screen.get(), font);
    TEXTMETRICW tm{};
    ::GetTextMetricsW(screen.get(), &tm);
    return tm;
}

bool IsOutline(const TEXTMETRICW& tm) { return (tm.tmPitchAndFamily & (TMPF_VECTOR | TMPF_TRUETYPE)) != 0; }

// Whether the font the mapper chose draws characters of the height asked
// for. Outline fonts draw every height; a bitmap face has a few sizes, and
// for another one the mapper gives the nearest (smaller) or an enlarged,
// blocky copy of a smaller one.
bool DrawsAtHeight(const TEXTMETRICW& tm, int height) {
    if (IsOutline(tm) || tm.tmHeight == 0) return true;
    if (height < 0) return tm.tmHeight - tm.tmInternalLeading == -height;
    return height == 0 || tm.tmHeight == height;
}

// The outline font drawn after a bitmap face, where the system has one;
// else none is named and the mapper takes the nearest outline font of the
// face's family.
const wchar_t* OutlineCounterpart(const std::wstring& face) {
    if (::CompareStringOrdinal(face.c_str(), -1, L"MS Sans Serif", -1, TRUE) == CSTR_EQUAL) return L"Microsoft Sans Serif";
    return L"";
}

}  // namespace

UniqueFont CreateFontFor(const FontSpec& font) {
    LOGFONTW lf = LogFontFor(font);
    UniqueFont made(::CreateFontIndirectW(&lf));
    if (!made) return made;
    const TEXTMETRICW chosen = MetricsOf(made.get());
    if (DrawsAtHeight(chosen, font.height)) return made;
    // A bitmap face asked for a size it lacks (a window scaled to a denser
    // screen): an outline font of its design is sharp at any size. At the
    // sizes the face has, it is used as it is.
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    lf.lfPitchAndFamily = static_cast<BYTE>((chosen.tmPitchAndFamily & 0xF0) | DEFAULT_PITCH);
    std::fill(std::begin(lf.lfFaceName), std::end(lf.lfFaceName), L'\0');
    std::wstring(OutlineCounterpart(font.name)).copy(lf.lfFaceName, LF_FACESIZE - 1);
    UniqueFont outline(::CreateFontIndirectW(&lf));
    if (outline && IsOutline(MetricsOf(outline.get()))) return outline;
    return made;
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
