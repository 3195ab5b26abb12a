#include "terrain/paint.h"

#include "render/terrain_image.h"
#include "terrain/terrain_edit.h"

namespace cs {

namespace {

bool is_road_or_line(std::uint8_t c) {
    return c == tarmac || c == snow || c == snow_edge || c == white_line || c == yellow_line ||
           c == kerb;
}

// Whether the kind in a cell refuses the kind to write.
bool protected_against(std::uint8_t c, std::uint8_t n, bool secondary) {
    if (secondary) {
        // Off-road surfaces painted with the right button go under roads, lines and snow.
        return (is_road_or_line(c) && n >= tarmac2 && n <= sand) ||
               (c == grass && n == grass_edge) || (c == oil && n == tarmac2);
    }
    return (c == tarmac && (n == white_line || n == yellow_line)) ||
           (c == grass && n == grass_edge) || (c == snow && n == snow_edge);
}

} // namespace

void paint_cell(const TerrainEdit& edit, int x, int y, std::uint8_t kind, std::uint8_t secondary) {
    std::uint8_t& cell = edit.track.land[y * map_size + x];
    if (protected_against(cell, kind, secondary != 0)) {
        return;
    }
    cell = kind;
    edit.hints.land_row(y);
    recompute_pixel(edit.canvas, x, y);
}

void edge_cell(const TerrainEdit& edit, int x, int y, int kind, std::uint8_t secondary) {
    if (kind == snow || kind == snow_edge) {
        return;
    }
    std::uint8_t& cell = edit.track.land[y * map_size + x];
    if (cell == kind) {
        return;
    }
    const bool line_or_kerb = kind >= white_line && kind <= kerb;
    std::uint8_t edged = cell;
    if (secondary != 0) {
        if (cell == grass) {
            edged = grass_edge;
        } else if (cell == snow && line_or_kerb) {
            edged = snow_edge;
        }
    } else {
        if (cell == tarmac && !line_or_kerb) {
            edged = white_line;
        } else if (cell == grass) {
            edged = grass_edge;
        } else if (cell == snow) {
            edged = snow_edge;
        }
    }
    if (edged != cell) {
        cell = edged;
        edit.hints.land_row(y);
        recompute_pixel(edit.canvas, x, y);
    }
}

std::optional<BrushKinds> brush_kinds(int brush_type, std::uint8_t secondary) {
    const bool on = secondary != 0;
    switch (brush_type) {
    case 0: // the flag only picks the colour of the road's edge line
        return BrushKinds{tarmac, on ? yellow_line : white_line, 0};
    case 1:
        return BrushKinds{tarmac2, tarmac2, secondary};
    case 2:
        return BrushKinds{grass, grass_edge, secondary};
    case 3:
        return BrushKinds{gravel, gravel, secondary};
    case 4:
        return BrushKinds{sand, sand, secondary};
    case 5:
        return on ? BrushKinds{snow_edge, snow_edge, secondary}
                  : BrushKinds{snow, snow_edge, secondary};
    case 6:
        return BrushKinds{white_line, white_line, secondary};
    case 7:
        return BrushKinds{yellow_line, yellow_line, secondary};
    case 8:
        return BrushKinds{kerb, kerb, secondary};
    case 17:
        return BrushKinds{mud, mud, secondary};
    default:
        return std::nullopt;
    }
}

} // namespace cs
