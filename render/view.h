// The view window's logic: magnification, scrolling, visibility of the overlays, the
// repaint throttle and the geometry of painting.
#pragma once

#include <cstdint>

namespace cs {

struct ViewState {
    bool zoom_2x = false;
    bool zoom_4x = false;
    int scroll_h = 0; // horizontal and vertical scroll positions, used at 2x and 4x
    int scroll_v = 0;
    bool show_ai_line = true;
    bool show_objects = true;
    bool show_checkpoints = true;
    std::uint32_t throttle_time = 0; // unforced repaints before this tick are dropped
    bool throttle_set = false;
};

int magnification(const ViewState& view); // 1, 2 or 4

// The window the view image is shown in, as the view's logic needs it: the clock of the
// repaint throttle and the repaint itself. The Ui port provides it.
class ViewDisplay {
  public:
    // Milliseconds, wrapping at 2^32.
    virtual std::uint32_t tick_count() = 0;
    // Invalidates the whole view and paints it before returning; does nothing while the
    // view window does not exist yet.
    virtual void repaint_view_now() = 0;

  protected:
    ~ViewDisplay() = default;
};

// Repaints the view at once, unless an unforced request comes less than 50 ms after the
// last repaint that was carried out.
void request_repaint(ViewState& view, ViewDisplay& display, bool force);

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0; // right and bottom exclusive
    friend bool operator==(const Rect&, const Rect&) = default;
};

// What one paint copies: the image area source, stretched onto the window area target.
struct PaintCopy {
    bool paint = false; // false: nothing to paint
    Rect source;
    Rect target;
};

// The copy for an update rectangle of the window at the given magnification, client
// size and scroll positions.
// The source always lies inside the image: parts of the window that would show pixels
// past the image's edge are left out of the target.
PaintCopy paint_geometry(Rect update, int client_width, int client_height, int scroll_h,
                         int scroll_v, int magnification);

// The first image column (or row) shown at 2x or 4x for a client width (or height) and a
// scroll position; 0 at 1x. The mouse mapping uses the same offset, so the pixel under
// the pointer is the one painted there.
int scroll_offset(int client_extent, int scroll_position, int magnification);

// The inverse of scroll_offset: the smallest scroll position at 2x or 4x whose offset is at
// least `offset` (so exactly `offset` where the bar reaches it, as one position moves the
// offset by less than a pixel); 0 at 1x and for offsets below 0. Not clamped to the bar:
// the scroll request that takes it does that.
int scroll_position_for_offset(int client_extent, int offset, int magnification);

} // namespace cs
