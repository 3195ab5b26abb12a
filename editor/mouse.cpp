#include "editor/mouse.h"

#include <cmath>

#include "editor/editor.h"
#include "editor/history.h"
#include "editor/tool_commands.h"
#include "editor/view_commands.h"
#include "interaction/ai_line.h"
#include "interaction/elements.h"
#include "resources/control_ids.h"
#include "terrain/brushes.h"
#include "terrain/heights.h"

namespace cs {

namespace {

constexpr int kerb_brush = 8;
constexpr int light_kerb_left = 6;  // White line stripes
constexpr int light_kerb_right = 7; // Yellow line stripes

bool is_area_tool(int tool) {
    return (tool >= tarmac_tool && tool <= snow_tool) || tool == mud_tool;
}
bool is_line_tool(int tool) {
    return tool == white_line_tool || tool == yellow_line_tool;
}

float line_width(const Editor& editor) {
    return static_cast<float>(editor.tools.brush_size) * 0.1f;
}
float rope(const Editor& editor) {
    return static_cast<float>(editor.tools.rope_length);
}

struct Step {
    float nx, ny; // the new anchor
    float mx, my; // halfway between the old anchor and the new one
};

// The point `length` units from the anchor toward the cursor, when the cursor lies more
// than rope + length away; the step does nothing otherwise.
bool step_toward(const Editor& editor, float cx, float cy, float length, Step& step) {
    const Gesture& g = editor.gesture;
    const float dx = cx - g.anchor_x;
    const float dy = cy - g.anchor_y;
    const float reach = rope(editor) + length;
    const float d2 = dx * dx + dy * dy;
    if (!(d2 > reach * reach)) {
        return false;
    }
    const float d = std::sqrt(d2);
    step.nx = g.anchor_x + dx * length / d;
    step.ny = g.anchor_y + dy * length / d;
    step.mx = (g.anchor_x + step.nx) / 2;
    step.my = (g.anchor_y + step.ny) / 2;
    return true;
}

// The painted line trails the cursor by the rope length: each move paints from the
// anchor halfway to the rope's end.
void smoothing_step(Editor& editor, float cx, float cy, float width, std::uint8_t flag) {
    Gesture& g = editor.gesture;
    const int r = editor.tools.rope_length;
    const float dx = cx - g.anchor_x;
    const float dy = cy - g.anchor_y;
    const float d2 = dx * dx + dy * dy;
    if (!(d2 > static_cast<float>((r + 1) * (r + 1)))) {
        return;
    }
    const float d = std::sqrt(d2);
    const float px = cx + (g.anchor_x - cx) * rope(editor) / d;
    const float py = cy + (g.anchor_y - cy) * rope(editor) / d;
    const float nx = (g.anchor_x + px) / 2;
    const float ny = (g.anchor_y + py) / 2;
    const int tool = editor.tools.current_tool;
    paint_stroke(terrain_edit_of(editor), g.anchor_x, g.anchor_y, nx, ny, tool, width, flag);
    paint_disc(terrain_edit_of(editor), nx, ny, tool, width, flag);
    g.anchor_x = nx;
    g.anchor_y = ny;
    request_repaint(editor, false);
}

// Dashed lines: 10 units painted, 10 left out.
void dash_step(Editor& editor, float cx, float cy) {
    Step s;
    if (!step_toward(editor, cx, cy, 10.0f, s)) {
        return;
    }
    Gesture& g = editor.gesture;
    const int tool = editor.tools.current_tool;
    const float w = line_width(editor);
    if (g.dash_phase == 0) {
        paint_stroke(terrain_edit_of(editor), s.mx, s.my, s.nx, s.ny, tool, w, 1);
        paint_disc(terrain_edit_of(editor), s.nx, s.ny, tool, w, 1);
    } else {
        paint_stroke(terrain_edit_of(editor), g.anchor_x, g.anchor_y, s.mx, s.my, tool, w, 1);
    }
    g.dash_phase ^= 1;
    g.anchor_x = s.nx;
    g.anchor_y = s.ny;
    request_repaint(editor, false);
}

// Kerbs: blocks of kerb and of the light stripe (second_type), each half a step long.
void kerb_step(Editor& editor, float cx, float cy, float length, int second_type) {
    Step s;
    if (!step_toward(editor, cx, cy, length, s)) {
        return;
    }
    Gesture& g = editor.gesture;
    const float w = line_width(editor);
    const int first = g.dash_phase != 0 ? kerb_brush : second_type;
    const int second = g.dash_phase != 0 ? second_type : kerb_brush;
    paint_stroke(terrain_edit_of(editor), g.anchor_x, g.anchor_y, s.mx, s.my, first, w, 1);
    paint_stroke(terrain_edit_of(editor), s.mx, s.my, s.nx, s.ny, second, w, 1);
    paint_disc(terrain_edit_of(editor), s.nx, s.ny, second, w, 1);
    g.dash_phase ^= 1;
    g.anchor_x = s.nx;
    g.anchor_y = s.ny;
    request_repaint(editor, false);
}

// The Object and Pit tools show objects without the full redraw of the toggle.
void show_objects_quietly(Editor& editor) {
    editor.view.show_objects = true;
    editor.ui->set_check(id::show_objects, true);
}

void press_action(Editor& editor, int button, float ax, float ay) {
    const int tool = editor.tools.current_tool;
    const bool right = button == right_button;
    const float brush = static_cast<float>(editor.tools.brush_size);
    Gesture& g = editor.gesture;
    if (is_area_tool(tool)) {
        paint_disc(terrain_edit_of(editor), ax, ay, tool, brush, right ? 1 : 0);
        request_repaint(editor, false);
    } else if (is_line_tool(tool)) {
        if (right) {
            g.dash_phase = 0;
        } else {
            paint_disc(terrain_edit_of(editor), ax, ay, tool, line_width(editor), 1);
            request_repaint(editor, false);
        }
    } else if (tool == kerb_tool) {
        g.dash_phase = 0;
        paint_disc(terrain_edit_of(editor), ax, ay, right ? light_kerb_right : light_kerb_left,
                   line_width(editor), 1);
        request_repaint(editor, false);
    } else if (tool == oil_tool) {
        if (!right) {
            oil_splash(terrain_edit_of(editor), ax, ay, brush * 0.25f);
            request_repaint(editor, false);
        }
    } else if (tool == hmap_adjust_tool) {
        adjust_heights(terrain_edit_of(editor), ax, ay, right ? -1000.0f : 1000.0f, brush);
        request_repaint(editor, false);
    } else if (tool == hmap_smooth_tool) {
        smooth_heights(terrain_edit_of(editor), ax, ay, 0.1f, brush);
        request_repaint(editor, false);
    } else if (tool == object_tool || tool == pit_tool) {
        show_objects_quietly(editor);
    } else if (tool == checkpoint_tool) {
        if (!right) {
            checkpoint_start(placement_edit_of(editor), ax, ay);
        }
    } else if (tool == ai_line_tool || tool == ai_pit_line_tool) {
        if (!right) {
            ai_line_press(placement_edit_of(editor),
                          tool == ai_line_tool ? DrivingLine::ai_line : DrivingLine::ai_pit_line,
                          ax, ay);
        }
    }
}

void drag_action(Editor& editor, int keys, float cx, float cy) {
    const int tool = editor.tools.current_tool;
    const bool left = (keys & left_held) != 0;
    const bool right = (keys & right_held) != 0;
    const float brush = static_cast<float>(editor.tools.brush_size);
    if (is_area_tool(tool)) {
        if (left) {
            smoothing_step(editor, cx, cy, brush, 0);
        } else if (right) {
            smoothing_step(editor, cx, cy, brush, 1);
        }
    } else if (is_line_tool(tool)) {
        if (left) {
            smoothing_step(editor, cx, cy, line_width(editor), 1);
        } else if (right) {
            dash_step(editor, cx, cy);
        }
    } else if (tool == kerb_tool) {
        if (left) {
            kerb_step(editor, cx, cy, 7.0f, light_kerb_left);
        } else if (right) {
            kerb_step(editor, cx, cy, 10.0f, light_kerb_right);
        }
    } else if (tool == hmap_adjust_tool) {
        if (left || right) {
            adjust_heights(terrain_edit_of(editor), cx, cy, left ? 1000.0f : -1000.0f, brush);
            request_repaint(editor, false);
        }
    } else if (tool == hmap_smooth_tool) {
        if (left || right) {
            smooth_heights(terrain_edit_of(editor), cx, cy, 0.1f, brush);
            request_repaint(editor, false);
        }
    } else if (tool == object_tool) {
        pending_object_move(placement_edit_of(editor), cx, cy, right);
    } else if (tool == pit_tool) {
        pending_pit_move(placement_edit_of(editor), cx, cy, right);
    } else if (tool == checkpoint_tool) {
        if (left) {
            checkpoint_drag(placement_edit_of(editor), cx, cy);
        }
    } else if (tool == ai_line_tool || tool == ai_pit_line_tool) {
        if (left) {
            ai_line_drag(placement_edit_of(editor),
                         tool == ai_line_tool ? DrivingLine::ai_line : DrivingLine::ai_pit_line, cx,
                         cy);
        }
    }
}

} // namespace

void press_handler(Editor& editor, int button, int x, int y) {
    editor.ui->capture_mouse();
    editor.gesture.button_down = 1;
    if (editor.elements.delete_object_mode) {
        return;
    }
    const float ax = static_cast<float>(x);
    const float ay = static_cast<float>(y);
    editor.gesture.anchor_x = ax;
    editor.gesture.anchor_y = ay;
    const int tool = editor.tools.current_tool;
    if ((tool >= tarmac_tool && tool <= oil_tool) || tool == mud_tool) {
        snapshot_land(editor);
    } else if (tool == hmap_adjust_tool || tool == hmap_smooth_tool) {
        snapshot_heights(editor);
    }
    press_action(editor, button, ax, ay);
}

void move_handler(Editor& editor, int key_state, int x, int y) {
    if (editor.gesture.button_down == 0) {
        key_state &= ~(left_held | right_held);
    }
    if (editor.elements.delete_object_mode) {
        return;
    }
    drag_action(editor, key_state, static_cast<float>(x), static_cast<float>(y));
}

namespace {

void release_action(Editor& editor, int button, float cx, float cy) {
    if (editor.elements.delete_object_mode) {
        delete_object_at(placement_edit_of(editor), cx, cy);
        return;
    }
    const int tool = editor.tools.current_tool;
    if (button == left_button && tool == object_tool) {
        object_commit(placement_edit_of(editor), cx, cy);
    } else if (button == left_button && tool == pit_tool) {
        pit_commit(placement_edit_of(editor), cx, cy);
    } else if (button == left_button && tool == checkpoint_tool) {
        checkpoint_commit(placement_edit_of(editor), cx, cy);
    } else {
        request_repaint(editor, true);
    }
}

} // namespace

void release_handler(Editor& editor, int button, int x, int y) {
    editor.ui->release_mouse();
    if (editor.gesture.button_down == 0) {
        return;
    }
    editor.gesture.button_down = 0;
    release_action(editor, button, static_cast<float>(x), static_cast<float>(y));
    // The gesture from its press to here is one step of the history.
    record_edit(editor);
}

} // namespace cs
