// What the tools do with mouse presses, drags and releases in the view. Positions are in
// map units, already mapped from the window.
#pragma once

namespace cs {

struct Editor;

struct Gesture {
    int button_down = 0; // set by a press in the view, cleared by the first release
    float anchor_x = 0;  // where the painting tools continue their stroke
    float anchor_y = 0;
    int dash_phase = 0; // alternates the dashes of lines and the blocks of kerbs
};

inline constexpr int left_button = 0;
inline constexpr int right_button = 1;
// Bits of the key state that the move handler reads.
inline constexpr int left_held = 1;
inline constexpr int right_held = 2;

// A button went down at (x, y), inside the map.
void press_handler(Editor& editor, int button, int x, int y);
// The mouse moved; key_state carries left_held and right_held.
void move_handler(Editor& editor, int key_state, int x, int y);
// A button went up, anywhere.
void release_handler(Editor& editor, int button, int x, int y);

} // namespace cs
