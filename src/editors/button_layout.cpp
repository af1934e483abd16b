#include "editors/button_layout.h"

#include <algorithm>

namespace census {

namespace {

// Margin and spacing along one axis, as the button resolves -1 values.
void ResolveSpacing(int client, int glyph, int caption, int& margin, int& spacing) {
    if (caption == 0 || glyph == 0) spacing = 0;
    if (margin == -1 && spacing == -1) {
        margin = (client - (glyph + caption)) / 3;
        spacing = margin;
    } else if (margin == -1) {
        margin = (client - (glyph + spacing + caption) + 1) / 2;
    } else if (spacing == -1) {
        spacing = (client - (margin + glyph) - caption) / 2;
    }
}

}  // namespace

GlyphCaptionPlacement LayoutGlyphAndCaption(const GlyphCaptionInput& in) {
    ButtonLayout layout = in.layout;
    if (in.right_to_left) {
        if (layout == blGlyphLeft)
            layout = blGlyphRight;
        else if (layout == blGlyphRight)
            layout = blGlyphLeft;
    }
    const bool across = layout == blGlyphLeft || layout == blGlyphRight;
    // Along the layout axis (a) and across it (c).
    int client_a = across ? in.client.width : in.client.height;
    int client_c = across ? in.client.height : in.client.width;
    int glyph_a = across ? in.glyph.width : in.glyph.height;
    int glyph_c = across ? in.glyph.height : in.glyph.width;
    int text_a = across ? in.caption.width : in.caption.height;
    int text_c = across ? in.caption.height : in.caption.width;

    int glyph_pos_c = (client_c - glyph_c + 1) / 2;
    int text_pos_c = (client_c - text_c + 1) / 2;
    int margin = in.margin, spacing = in.spacing;
    ResolveSpacing(client_a, glyph_a, text_a, margin, spacing);

    int glyph_pos_a, text_pos_a;
    if (layout == blGlyphLeft || layout == blGlyphTop) {
        glyph_pos_a = margin;
        text_pos_a = margin + glyph_a + spacing;
    } else {
        glyph_pos_a = client_a - margin - glyph_a;
        text_pos_a = glyph_pos_a - spacing - text_a;
    }

    GlyphCaptionPlacement out;
    IntPoint glyph = across ? IntPoint{glyph_pos_a, glyph_pos_c} : IntPoint{glyph_pos_c, glyph_pos_a};
    IntPoint text = across ? IntPoint{text_pos_a, text_pos_c} : IntPoint{text_pos_c, text_pos_a};
    out.glyph = {glyph.x + in.offset.x, glyph.y + in.offset.y};
    if (in.caption.width > 0 && in.caption.height > 0) {
        int left = text.x + in.offset.x, top = text.y + in.offset.y;
        out.caption = {left, top, left + in.caption.width, top + in.caption.height};
    }
    return out;
}

int GlyphCellsFor(int width, int height) {
    if (width <= 0 || height <= 0) return 1;
    if (width % height != 0) return 1;
    int cells = width / height;
    return cells < 5 ? std::max(cells, 1) : 1;
}

int ClampGlyphCells(int cells) { return std::clamp(cells, 1, 4); }

int GlyphCellIndex(GlyphCell wanted, int cells) {
    switch (wanted) {
        case GlyphCell::Down: return cells >= 3 ? 2 : 0;
        case GlyphCell::Disabled: return cells >= 2 ? 1 : 0;
        case GlyphCell::Exclusive: return cells >= 4 ? 3 : 0;
        default: return 0;
    }
}

}  // namespace census
