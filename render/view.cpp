#include "render/view.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "render/terrain_image.h"

namespace cs {

namespace {

// Unforced repaints closer together than this are dropped.
constexpr std::uint32_t repaint_period = 50;

int saturate(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

// Cuts one axis of a copy down to the part whose source lies inside the image, keeping
// the pixel replication: source pixel s still lands on target start + (s - first) * m.
// False when nothing of the image remains.
bool clip_axis(std::int64_t& source_start, std::int64_t& source_end, std::int64_t& target_start,
               std::int64_t& target_end, int m) {
    if (source_start < 0) {
        target_start += -source_start * m;
        source_start = 0;
    }
    if (source_end > image_size) {
        target_end -= (source_end - image_size) * m;
        source_end = image_size;
    }
    return source_end > source_start;
}

} // namespace

int magnification(const ViewState& view) {
    if (view.zoom_2x) {
        return 2;
    }
    return view.zoom_4x ? 4 : 1;
}

void request_repaint(ViewState& view, ViewDisplay& display, bool force) {
    if (!view.throttle_set) {
        view.throttle_time = display.tick_count();
        view.throttle_set = true;
    }
    const std::uint32_t now = display.tick_count();
    // Both comparisons are unsigned and the subtraction wraps, so a tick count that wraps
    // past 2^32 never leaves requests dropped for longer than one period.
    if (!force && view.throttle_time - repaint_period <= now && now < view.throttle_time) {
        return;
    }
    view.throttle_time = now + repaint_period;
    display.repaint_view_now();
}

int scroll_offset(int client_extent, int scroll_position, int magnification) {
    if (magnification != 2 && magnification != 4) {
        return 0;
    }
    const std::int64_t span = std::int64_t{image_size} * magnification; // 1024 at 2x, 2048 at 4x
    const std::int64_t divisor = magnification == 2 ? 1000 : 4000;
    return saturate((span - client_extent) * scroll_position / divisor);
}

int scroll_position_for_offset(int client_extent, int offset, int magnification) {
    if ((magnification != 2 && magnification != 4) || offset <= 0) {
        return 0;
    }
    const std::int64_t span = std::int64_t{image_size} * magnification;
    const std::int64_t divisor = magnification == 2 ? 1000 : 4000;
    const std::int64_t scrollable = span - client_extent;
    if (scrollable <= 0) {
        return 0;
    }
    // offset = floor(scrollable * position / divisor), solved for the smallest position.
    return saturate((std::int64_t{offset} * divisor + scrollable - 1) / scrollable);
}

PaintCopy paint_geometry(Rect update, int client_width, int client_height, int scroll_h,
                         int scroll_v, int magnification) {
    update.left = std::max(update.left, 0);
    update.top = std::max(update.top, 0);
    update.right = std::min(update.right, image_size);
    update.bottom = std::min(update.bottom, image_size);
    if (update.right <= update.left || update.bottom <= update.top) {
        return {};
    }
    const int m = magnification;
    if (m != 2 && m != 4) {
        return {true, update, update};
    }

    // Widen to whole blocks of m x m window pixels. The bounds are 0..512, so this stays
    // inside 0..512.
    update.left -= update.left % m;
    update.top -= update.top % m;
    update.right += (m - update.right % m) % m;
    update.bottom += (m - update.bottom % m) % m;

    std::int64_t sx = std::int64_t{scroll_offset(client_width, scroll_h, m)} + update.left / m;
    std::int64_t sy = std::int64_t{scroll_offset(client_height, scroll_v, m)} + update.top / m;
    std::int64_t sx_end = sx + (update.right - update.left) / m;
    std::int64_t sy_end = sy + (update.bottom - update.top) / m;
    std::int64_t tx = update.left, ty = update.top;
    std::int64_t tx_end = update.right, ty_end = update.bottom;
    // A client area that is narrower than the update rectangle or of odd size can ask for
    // columns or rows past the image's edge; those are not copied.
    if (!clip_axis(sx, sx_end, tx, tx_end, m) || !clip_axis(sy, sy_end, ty, ty_end, m)) {
        return {};
    }
    PaintCopy copy;
    copy.paint = true;
    copy.source = Rect{static_cast<int>(sx), static_cast<int>(sy), static_cast<int>(sx_end),
                       static_cast<int>(sy_end)};
    copy.target = Rect{static_cast<int>(tx), static_cast<int>(ty), static_cast<int>(tx_end),
                       static_cast<int>(ty_end)};
    return copy;
}

} // namespace cs
