#include "tests/session.h"

namespace cs::test_support {

void random_track(Track& t, std::uint32_t seed) {
    Rng r(seed);
    reset_track(t);
    // Small worlds blow every shape up to the image's size, which makes them slow to draw.
    t.world_size = static_cast<std::uint8_t>(r.chance(60)   ? 120
                                             : r.chance(80) ? r.pick(20, 255)
                                                            : r.pick(0, 19));
    t.water_level = static_cast<std::uint8_t>(r.pick(0, 255));
    for (int n = r.pick(0, 30); n > 0; --n) {
        const int x0 = r.pick(0, 511), y0 = r.pick(0, 511);
        const int x1 = std::min(511, x0 + r.pick(0, 200)), y1 = std::min(511, y0 + r.pick(0, 200));
        const auto kind = static_cast<std::uint8_t>(r.pick(0, 15));
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                t.land[static_cast<std::size_t>(y * map_size + x)] = kind;
            }
        }
    }
    const bool rough = r.chance(30);
    for (auto& h : t.heights) {
        h = static_cast<std::uint16_t>(rough ? r.pick(0, 65535) : r.pick(30000, 36000));
    }
    // Mostly on the map, one in ten within 40 units outside it.
    auto coordinate = [&r] {
        return static_cast<float>(r.chance(90) ? r.pick(0, 1023) : r.pick(-80, 1103)) * 0.5f;
    };
    t.object_count = static_cast<std::uint16_t>(r.chance(90) ? r.pick(6, 300) : r.pick(0, 5));
    for (int i = 0; i < t.object_count; ++i) {
        const auto kind =
            i < start_positions && r.chance(90) ? start : r.pick(0, object_kind_count - 1);
        t.objects[static_cast<std::size_t>(i)] =
            Object{coordinate(), coordinate(), static_cast<float>(r.pick(0, 62831)) * 0.0001f,
                   static_cast<std::uint8_t>(kind)};
    }
    t.pit_count = static_cast<std::uint8_t>(r.pick(0, max_pits));
    for (int i = 0; i < t.pit_count; ++i) {
        t.pits[static_cast<std::size_t>(i)] =
            Pit{coordinate(), coordinate(), static_cast<float>(r.pick(0, 62831)) * 0.0001f};
    }
    t.checkpoint_count = static_cast<std::uint8_t>(r.pick(0, 60));
    for (int i = 0; i < t.checkpoint_count; ++i) {
        const float x = coordinate(), y = coordinate();
        // Some too short to be drawn, some long.
        const int reach = r.one_of({4, 12, 40, 300});
        t.checkpoints[static_cast<std::size_t>(i)] =
            Checkpoint{x, y, x + static_cast<float>(r.pick(-reach, reach)),
                       y + static_cast<float>(r.pick(-reach, reach))};
    }
    auto walk = [&r, &coordinate](LinePoint* points, int count) {
        float x = coordinate(), y = coordinate();
        for (int i = 0; i < count; ++i) {
            x += static_cast<float>(r.pick(-30, 30));
            y += static_cast<float>(r.pick(-30, 30));
            points[i] = LinePoint{x, y};
        }
    };
    t.ai_line_count = static_cast<std::uint16_t>(r.pick(0, 600));
    walk(t.ai_line.data(), t.ai_line_count);
    t.ai_pit_line_count = static_cast<std::uint8_t>(r.pick(0, max_ai_pit_line));
    walk(t.ai_pit_line.data(), t.ai_pit_line_count);
}

void heavy_track(Track& t, int stride) {
    bench::fill_heavy_track(t);
    t.object_count = static_cast<std::uint16_t>((t.object_count + stride - 1) / stride);
    for (int i = 0; i < t.object_count; ++i) {
        t.objects[static_cast<std::size_t>(i)] = t.objects[static_cast<std::size_t>(i * stride)];
    }
    t.ai_line_count = static_cast<std::uint16_t>((t.ai_line_count + stride - 1) / stride);
    for (int i = 0; i < t.ai_line_count; ++i) {
        t.ai_line[static_cast<std::size_t>(i)] = t.ai_line[static_cast<std::size_t>(i * stride)];
    }
}

std::string describe(const Action& x) {
    static const char* const messages[] = {"move", "left_down", "right_down", "left_up",
                                           "right_up"};
    std::ostringstream s;
    switch (x.what) {
    case Action::command:
        s << "click " << x.a;
        break;
    case Action::box:
        s << "box " << x.a << (x.b != 0 ? " on" : " off");
        break;
    case Action::focus_lost:
        s << "delete-object box loses the focus";
        break;
    case Action::kind:
        s << "object kind entry " << x.a;
        break;
    case Action::slider:
        s << "slider " << x.a << " to " << x.b;
        break;
    case Action::mouse:
        s << "view " << messages[x.a] << " (" << x.b << ", " << x.c << ") keys " << x.d;
        break;
    case Action::press:
    case Action::release:
        s << (x.what == Action::press ? "press" : "release") << " button " << x.a << " at map ("
          << x.b << ", " << x.c << ")";
        break;
    case Action::scroll:
        s << "scroll bar " << x.a << " request " << x.b << " thumb " << x.c;
        break;
    case Action::load:
        s << "load "
          << (x.a == 0   ? "cancelled"
              : x.a == 1 ? "missing file"
              : x.a == 2 ? "random track "
                         : "heavy track");
        if (x.a == 2) {
            s << x.b;
        }
        break;
    case Action::undo:
        s << "undo";
        break;
    case Action::redo:
        s << "redo";
        break;
    case Action::new_track:
    case Action::properties:
        s << (x.what == Action::new_track ? "new" : "properties");
        if (x.a == 0) {
            s << ", cancelled";
        } else {
            s << ", OK with world size " << x.b << " and water level " << x.c;
        }
        break;
    }
    return s.str();
}

// --- The session's generator -----------------------------------------------------------------

// Produces gestures as the user makes them: a tool, a press, some moves, a release; panel
// buttons, sliders and boxes; file loads and New. Clicks meant for elements are aimed at
// the track's own elements, read from the editor the session drives.
class Generator {
  public:
    Generator(std::uint32_t seed, const Editor& editor, bool keep_track)
        : r_(seed), editor_(editor), keep_track_(keep_track) {}

    void next(std::vector<Action>& out) {
        out_ = &out;
        switch (pick_gesture()) {
        case 0:
            paint();
            break;
        case 1:
            heights();
            break;
        case 2:
            emit(Action::command, r_.one_of({id::land_undo, id::hmap_undo, id::flatten}));
            break;
        case 3:
            sliders();
            break;
        case 4:
            boxes();
            break;
        case 5:
            emit(Action::scroll, r_.pick(0, 1), r_.pick(0, 6), r_.pick(-50, 1300));
            break;
        case 6:
            driving_line();
            break;
        case 7:
            line_buttons();
            break;
        case 8:
            pit();
            break;
        case 9:
            checkpoint();
            break;
        case 10:
            object();
            break;
        case 11:
            delete_objects();
            break;
        case 12:
            emit(Action::load, keep_track_ ? r_.pick(0, 1) : r_.one_of({0, 1, 2, 2, 2, 3}),
                 r_.pick(0, 1 << 30));
            break;
        case 13:
            emit(keep_track_ ? Action::properties : Action::new_track, r_.pick(0, 1), world_size(),
                 r_.pick(0, 255));
            break;
        case 14:
            emit(Action::properties, r_.pick(0, 1), world_size(), r_.pick(0, 255));
            break;
        case 15:
            history();
            break;
        default:
            stray_mouse();
            break;
        }
    }

  private:
    Rng r_;
    const Editor& editor_;
    bool keep_track_;
    std::vector<Action>* out_ = nullptr;
    int wx_ = 256, wy_ = 256;       // the pointer, in window coordinates
    int pile_x_ = -1, pile_y_ = -1; // where objects were last piled, in map coordinates

    void emit(Action::Kind what, int a = 0, int b = 0, int c = 0, int d = 0) {
        out_->push_back(Action{what, a, b, c, d});
    }

    int pick_gesture() {
        // Weights of the gestures above, in their order; the last is stray mouse input.
        static constexpr int weights[] = {20, 8, 4, 5, 4, 2, 10, 5, 6, 8, 12, 6, 2, 1, 1, 6, 3};
        int total = 0;
        for (int w : weights) {
            total += w;
        }
        int roll = r_.pick(0, total - 1);
        int gesture = 0;
        while (roll >= weights[gesture]) {
            roll -= weights[gesture++];
        }
        return gesture;
    }

    // The slider's ends and beyond now and then; world size 1 rarely, since it makes every
    // shape span the image and every redraw slow.
    int world_size() {
        if (r_.chance(3)) {
            return 1;
        }
        return r_.chance(40) ? r_.one_of({-5, 0, 25, 120, 255, 260}) : r_.pick(10, 255);
    }

    // A new pointer position: mostly on the view, now and then beside it.
    void jump() {
        wx_ = r_.chance(90) ? r_.pick(0, 511) : r_.pick(-60, 571);
        wy_ = r_.chance(90) ? r_.pick(0, 511) : r_.pick(-60, 571);
    }
    void nudge(int reach) {
        wx_ += r_.pick(-reach, reach);
        wy_ += r_.pick(-reach, reach);
    }
    void move(int keys) { emit(Action::mouse, static_cast<int>(ViewMouse::move), wx_, wy_, keys); }
    void button(ViewMouse message) { emit(Action::mouse, static_cast<int>(message), wx_, wy_); }

    // Press, some moves with the button held, release; mostly the same button throughout.
    void drag(bool right, int moves, int reach) {
        button(right ? ViewMouse::right_down : ViewMouse::left_down);
        const int held = right ? right_held : left_held;
        for (int i = 0; i < moves; ++i) {
            nudge(reach);
            move(r_.chance(95) ? held : r_.pick(0, 3));
        }
        button((right != r_.chance(5)) ? ViewMouse::right_up : ViewMouse::left_up);
    }

    void paint() {
        static constexpr int tools[] = {id::tool_tarmac, id::tool_tarmac2,    id::tool_grass,
                                        id::tool_gravel, id::tool_sand,       id::tool_snow,
                                        id::tool_mud,    id::tool_white_line, id::tool_yellow_line,
                                        id::tool_kerb,   id::tool_oil};
        emit(Action::command, r_.one_of(tools));
        if (r_.chance(20)) {
            emit(Action::slider, id::brush_size, r_.pick(1, 10));
        }
        jump();
        drag(r_.chance(30), r_.pick(0, 12), 30);
    }

    void heights() {
        emit(Action::command, r_.chance(60) ? id::tool_hmap_adjust : id::tool_hmap_smooth);
        if (r_.chance(30)) {
            // Small brushes mostly: a large one recomputes most of the image every dab.
            emit(Action::slider, id::brush_size, r_.chance(80) ? r_.pick(1, 3) : r_.pick(4, 10));
        }
        jump();
        drag(r_.chance(40), r_.pick(0, 4), 20);
    }

    void sliders() {
        switch (r_.pick(0, 2)) {
        case 0:
            emit(Action::slider, id::brush_size, r_.pick(0, 11));
            break;
        case 1:
            emit(Action::slider, id::rope_length, r_.pick(-1, 11));
            break;
        default:
            emit(Action::slider, id::image_blend, r_.pick(-1, 11));
            break;
        }
    }

    void boxes() {
        static constexpr int ids[] = {id::show_ai_line, id::show_objects, id::show_checkpoints,
                                      id::zoom_2x, id::zoom_4x};
        emit(Action::box, r_.one_of(ids), r_.chance(60) ? 1 : 0);
    }

    void driving_line() {
        emit(Action::command, r_.chance(70) ? id::tool_ai_line : id::tool_ai_pit_line);
        if (r_.chance(15)) {
            emit(Action::slider, id::rope_length, r_.pick(0, 3));
        }
        jump();
        drag(r_.chance(10), r_.pick(0, 15), 40);
    }

    void line_buttons() {
        static constexpr int ids[] = {id::delete_ai_line, id::delete_ai_pit_line,
                                      id::rotate_back_10, id::rotate_back_1,
                                      id::rotate_on_1,    id::rotate_on_10};
        const int which = r_.one_of(ids);
        for (int n = r_.pick(1, 4); n > 0; --n) {
            emit(Action::command, which);
        }
    }

    // The pending element follows the pointer, turns while the right button is held, and a
    // left click puts it down.
    void follow_and_place(int reach = 50) {
        for (int n = r_.pick(1, 5); n > 0; --n) {
            nudge(reach);
            move(0);
        }
        if (r_.chance(30)) {
            button(ViewMouse::right_down);
            for (int n = r_.pick(1, 4); n > 0; --n) {
                nudge(20);
                move(right_held);
            }
            button(ViewMouse::right_up);
        }
        if (r_.chance(70)) {
            button(ViewMouse::left_down);
            if (r_.chance(20)) {
                nudge(30);
            }
            button(ViewMouse::left_up);
        }
    }

    void pit() {
        if (r_.chance(20)) {
            emit(Action::command, id::delete_pit);
            return;
        }
        emit(Action::command, id::tool_pit);
        jump();
        follow_and_place();
    }

    void checkpoint() {
        if (r_.chance(15)) {
            emit(Action::command, id::delete_checkpoint);
            return;
        }
        emit(Action::command, id::tool_checkpoint);
        jump();
        button(ViewMouse::left_down);
        for (int n = r_.pick(0, 8); n > 0; --n) {
            nudge(r_.chance(20) ? 4 : 60); // some end up too short to keep
            move(left_held);
        }
        button(ViewMouse::left_up);
    }

    void object() {
        if (r_.chance(70)) {
            // Start (position 0) now and then, to move the start positions.
            emit(Action::kind, r_.chance(25) ? 0 : r_.pick(0, object_kind_count - 1));
        } else {
            emit(Action::command, id::tool_object);
        }
        jump();
        // Now and then onto another object, or onto the rows where the image's halves meet
        // or its last row of tiles, so that objects pile up there and a deletion has
        // something under it to show.
        const Track& t = editor_.track;
        const bool pile = r_.chance(35);
        if (pile && t.object_count > start_positions && r_.chance(60)) {
            const Object& o =
                t.objects[static_cast<std::size_t>(r_.pick(start_positions, t.object_count - 1))];
            pile_x_ = std::isfinite(o.x) ? static_cast<int>(std::clamp(o.x, 0.0f, 511.0f)) : 256;
            pile_y_ = std::isfinite(o.y) ? static_cast<int>(std::clamp(o.y, 0.0f, 511.0f)) : 256;
        } else if (pile) {
            pile_x_ = r_.pick(0, 511);
            pile_y_ = r_.chance(50) ? r_.pick(248, 263) : r_.pick(496, 511);
        }
        if (pile) {
            wx_ = pile_x_;
            wy_ = pile_y_;
        }
        follow_and_place(pile ? 3 : 50);
    }

    // Clicks near the track's objects in delete-object mode, then mostly out of the mode.
    void delete_objects() {
        emit(Action::box, id::delete_object, 1);
        const Track& t = editor_.track;
        for (int n = r_.pick(1, 6); n > 0; --n) {
            int x = r_.pick(0, 511), y = r_.pick(0, 511);
            if (pile_x_ >= 0 && r_.chance(50)) { // into the pile, top or not
                x = std::clamp(pile_x_ + r_.pick(-3, 3), 0, 511);
                y = std::clamp(pile_y_ + r_.pick(-3, 3), 0, 511);
            } else if (t.object_count > start_positions && r_.chance(80)) {
                const Object& o = t.objects[static_cast<std::size_t>(
                    r_.pick(start_positions, t.object_count - 1))];
                // Presses land on the map only.
                x = std::clamp(static_cast<int>(o.x) + r_.pick(-4, 4), 0, 511);
                y = std::clamp(static_cast<int>(o.y) + r_.pick(-4, 4), 0, 511);
            }
            emit(Action::press, left_button, x, y);
            emit(Action::release, left_button, x, y);
        }
        if (r_.chance(40)) {
            emit(Action::focus_lost);
        } else if (r_.chance(90)) {
            emit(Action::box, id::delete_object, 0);
        }
    }

    // Some steps back, now and then forward again (or further back than there are steps).
    void history() {
        for (int n = r_.pick(1, 4); n > 0; --n) {
            emit(Action::undo);
        }
        for (int n = r_.chance(50) ? r_.pick(1, 5) : 0; n > 0; --n) {
            emit(Action::redo);
        }
    }

    // Moves without a press, releases without one, a tool change on the way.
    void stray_mouse() {
        if (r_.chance(30)) {
            emit(Action::command, r_.pick(id::first_tool, id::last_tool));
        }
        for (int n = r_.pick(1, 4); n > 0; --n) {
            nudge(80);
            move(r_.pick(0, 3));
        }
        if (r_.chance(50)) {
            button(r_.chance(50) ? ViewMouse::left_up : ViewMouse::right_up);
        }
    }
};

Side::Side(bool literal) {
    editor->renderer.literal_overlays = literal;
    set_up_editor(*editor);
    initialise_panel(*editor);
}

void Side::apply(const Action& x, const std::filesystem::path& dir) {
    Editor& e = *editor;
    switch (x.what) {
    case Action::command:
        dispatch_command(e, x.a, Notification::clicked);
        break;
    case Action::box:
        ui.checked[x.a] = x.b;
        dispatch_command(e, x.a, Notification::clicked);
        break;
    case Action::focus_lost:
        dispatch_command(e, id::delete_object, Notification::kill_focus);
        break;
    case Action::kind:
        ui.object_kind_entry = x.a;
        dispatch_command(e, id::object_kinds, Notification::selection_changed);
        break;
    case Action::slider:
        ui.sliders[x.a] = x.b;
        slider_notification(e, x.a, SliderEvent::moved);
        slider_notification(e, x.a, SliderEvent::released_capture);
        break;
    case Action::mouse:
        view_mouse(e, static_cast<ViewMouse>(x.a), x.b, x.c, x.d);
        break;
    case Action::press:
        press_handler(e, x.a, x.b, x.c);
        break;
    case Action::release:
        release_handler(e, x.a, x.b, x.c);
        break;
    case Action::scroll:
        view_scroll(e, static_cast<ScrollBar>(x.a), static_cast<ScrollRequest>(x.b), x.c);
        break;
    case Action::load:
        if (x.a != 0) {
            ui.answer_path((dir / track_file(x)).string());
        }
        dispatch_command(e, id::load, Notification::clicked);
        break;
    case Action::undo:
        undo_edit(e);
        break;
    case Action::redo:
        redo_edit(e);
        break;
    case Action::new_track:
    case Action::properties:
        if (x.a == 0) {
            ui.answer_cancel();
        } else {
            ui.answer_properties([x](PropertiesValues& v) {
                v.world_size = x.b;
                v.water_level = x.c;
            });
        }
        dispatch_command(e, x.what == Action::new_track ? id::new_track : id::track_properties,
                         Notification::clicked);
        break;
    }
    ui.queue.clear();
    ui.calls.clear();
    ui.clock += 17;
}

std::string Side::track_file(const Action& x) {
    switch (x.a) {
    case 1:
        return "missing.trk";
    case 2:
        return "random.trk";
    default:
        return "heavy.trk";
    }
}

int env_int(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::atoi(text) : fallback;
}

ActionStream::ActionStream(std::uint32_t seed, const Editor& editor, bool heavy)
    : generator_(std::make_unique<Generator>(seed, editor, heavy)) {
    if (heavy) {
        pending_.push_back(Action{Action::load, 3});
    }
}

ActionStream::ActionStream(std::uint32_t seed, const Editor& editor,
                           const std::vector<Action>& script)
    : generator_(std::make_unique<Generator>(seed, editor, false)),
      pending_(script.rbegin(), script.rend()) {}

ActionStream::~ActionStream() = default;

Action ActionStream::next() {
    if (pending_.empty()) {
        generator_->next(pending_);
        std::reverse(pending_.begin(), pending_.end());
    }
    actions.push_back(pending_.back());
    pending_.pop_back();
    return actions.back();
}

void SessionTest::prepare(const Action& x) {
    if (x.what != Action::load || x.a < 2) {
        return;
    }
    if (x.a == 2) {
        random_track(*scratch, static_cast<std::uint32_t>(x.b));
    } else {
        heavy_track(*scratch, heavy_stride);
    }
    ASSERT_EQ(write_track(dir / Side::track_file(x), *scratch), TrackFileError::none);
}

void SessionTest::run_sessions(int total_steps, int session_steps, bool heavy,
                               std::uint32_t first_seed) {
    const int sessions = std::max(1, (total_steps + session_steps - 1) / session_steps);
    for (int i = 0; i < sessions; ++i) {
        if (!run_session(first_seed + static_cast<std::uint32_t>(i), session_steps, heavy)) {
            return;
        }
    }
}

std::string SessionTest::replay_note(std::uint32_t seed, bool heavy,
                                     const std::vector<Action>& actions) {
    std::ostringstream report;
    report << "Replay with COURSESMITH_DIFF_SEED=" << seed << (heavy ? " (heavy track)" : "")
           << ". Actions so far:\n";
    for (std::size_t i = 0; i < actions.size(); ++i) {
        report << i << ": " << describe(actions[i]) << '\n';
    }
    return report.str();
}

} // namespace cs::test_support
