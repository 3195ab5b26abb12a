#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "resources/templates.h"

namespace cs {
namespace {

// Every label, place, style and table entry of the resources is pinned by the golden dump
// tests/golden/templates.txt; the tests below check how the controls relate to each other
// and to the code that uses them.

// One line per control: ID, kind, text, place (x, y, width, height), style flags and the
// spoken name; then the tables that refer to the controls.
std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        out += c == '"' || c == '\\' ? std::string{'\\', c} : std::string{c};
    }
    return out + '"';
}

std::string flags_text(unsigned flags) {
    constexpr std::string_view names[] = {"disabled",      "group_start", "centred",
                                          "right_aligned", "auto_ticks",  "text_left",
                                          "reports_focus", "bordered",    "auto_hscroll",
                                          "vscroll",       "multi_line",  "want_return"};
    std::string out;
    for (unsigned bit = 0; bit < 32; ++bit) {
        if ((flags >> bit) & 1u) {
            out += out.empty() ? "" : "|";
            out += bit < std::size(names) ? std::string(names[bit]) : "bit" + std::to_string(bit);
        }
    }
    return out.empty() ? "none" : out;
}

void dump_template(std::ostream& out, const DialogTemplate& t) {
    constexpr std::string_view kinds[] = {"push_button", "default_push_button", "radio_button",
                                          "check_box",   "push_like_check_box", "drop_down_list",
                                          "trackbar",    "static_text",         "edit"};
    out << "template " << t.resource_id << ' ' << quoted(t.caption) << ' ' << t.width << 'x'
        << t.height << " font " << quoted(t.font) << ' ' << t.font_points
        << (t.modal ? " modal" : " modeless") << (t.centred ? " centred" : "") << '\n';
    for (const DialogControl& c : t.controls) {
        out << "  " << c.id << ' ' << kinds[static_cast<int>(c.kind)] << ' ' << quoted(c.text)
            << ' ' << c.place.x << ' ' << c.place.y << ' ' << c.place.width << ' ' << c.place.height
            << ' ' << flags_text(c.flags);
        if (!c.spoken_name.empty()) {
            out << " spoken " << quoted(c.spoken_name);
        }
        out << '\n';
    }
}

std::string resources_dump() {
    constexpr std::string_view properties[] = {"water_level", "view_angle", "rotation", "zoom",
                                               "world_size"};
    std::ostringstream out;
    dump_template(out, panel_template);
    for (const PanelSlider& s : panel_sliders) {
        out << "panel slider " << s.id << ' ' << s.minimum << ".." << s.maximum << " step "
            << s.step << '\n';
    }
    out << "panel checked";
    for (int id : panel_initially_checked) {
        out << ' ' << id;
    }
    out << '\n';
    dump_template(out, properties_template);
    for (const PropertySlider& s : property_sliders) {
        out << "property slider " << s.slider << ' ' << properties[static_cast<int>(s.property)]
            << ' ' << s.minimum << ".." << s.maximum << " ticks " << s.tick_frequency << " label "
            << s.value_label << (s.signed_value ? " signed" : "") << '\n';
    }
    for (const Accelerator& a : accelerators) {
        out << "accelerator " << (a.modifier == KeyModifier::ctrl ? "Ctrl+" : "Alt+") << a.key
            << ' ' << a.command << '\n';
    }
    return out.str();
}

const DialogControl* static_label(const DialogTemplate& dialog, std::string_view text) {
    for (const DialogControl& c : dialog.controls) {
        if (c.id == no_id && c.text == text) {
            return &c;
        }
    }
    return nullptr;
}

bool overlap(const DialogRect& a, const DialogRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

// After a deliberate change of the resources, rewrite the file with UPDATE_GOLDEN=1 and
// review the difference before committing it. Only the Linux suite reads it (the Windows
// suite runs under Wine, away from the source tree); the tables are the same data there.
#ifdef COURSESMITH_GOLDEN_DIR
TEST(Resources, MatchTheGoldenDump) {
    const std::string path = COURSESMITH_GOLDEN_DIR "/templates.txt";
    const std::string dump = resources_dump();
    if (const char* update = std::getenv("UPDATE_GOLDEN"); update && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << dump;
        GTEST_SKIP() << "rewrote " << path;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << path;
    EXPECT_EQ(dump, std::string(std::istreambuf_iterator<char>(in), {})) << "differs from " << path;
}
#endif

// The code finds these controls by ID and relies on their kind (the shell casts the
// widgets it builds for them).
TEST(Resources, TablesAndCodeNameControlsOfTheirKind) {
    const auto kind = [](const DialogTemplate& t, int id) {
        const DialogControl* c = find_control(t, id);
        return c ? std::optional(c->kind) : std::nullopt;
    };
    for (int id = id::first_tool; id <= id::last_tool; ++id) {
        EXPECT_EQ(kind(panel_template, id), ControlKind::radio_button) << id;
        EXPECT_EQ(find_control(panel_template, id)->has(style::group_start), id == id::first_tool);
    }
    for (const PanelSlider& s : panel_sliders) {
        EXPECT_EQ(kind(panel_template, s.id), ControlKind::trackbar) << s.id;
    }
    for (int id : panel_initially_checked) {
        EXPECT_TRUE(kind(panel_template, id) == ControlKind::radio_button ||
                    kind(panel_template, id) == ControlKind::check_box)
            << id;
    }
    for (const Accelerator& a : accelerators) {
        EXPECT_EQ(kind(panel_template, a.command), ControlKind::push_button) << a.key;
    }
    EXPECT_EQ(kind(panel_template, id::object_kinds), ControlKind::drop_down_list);
    EXPECT_TRUE(find_control(panel_template, id::delete_object)->has(style::reports_focus));
    for (const PropertySlider& s : property_sliders) {
        EXPECT_EQ(kind(properties_template, s.slider), ControlKind::trackbar) << s.slider;
        EXPECT_EQ(kind(properties_template, s.value_label), ControlKind::static_text) << s.slider;
    }
    EXPECT_EQ(kind(properties_template, id::sf_line_check), ControlKind::check_box);
    EXPECT_EQ(kind(properties_template, id::ok), ControlKind::default_push_button);
    EXPECT_EQ(kind(properties_template, id::cancel), ControlKind::push_button);
    EXPECT_FALSE(find_control(properties_template, id::author_edit)->has(style::multi_line));
    EXPECT_TRUE(find_control(properties_template, id::comments_edit)->has(style::multi_line));
    EXPECT_EQ(find_control(panel_template, no_id), nullptr);
    EXPECT_EQ(find_control(panel_template, 9999), nullptr);
}

TEST(PanelTemplate, LabelsWithoutIdSitBesideWhatTheyName) {
    const struct {
        std::string_view text;
        int beside;
    } left_of[] = {{"Brush size", id::brush_size},
                   {"\"Rope\" length", id::rope_length},
                   {"hmap/land", id::image_blend},
                   {"Import", id::import_land},
                   {"Export", id::export_land}};
    for (const auto& l : left_of) {
        const DialogControl* label = static_label(panel_template, l.text);
        ASSERT_NE(label, nullptr) << l.text;
        const DialogRect& to = find_control(panel_template, l.beside)->place;
        EXPECT_TRUE(label->has(style::right_aligned)) << l.text;
        EXPECT_LE(label->place.x + label->place.width, to.x) << l.text;
        EXPECT_GE(label->place.y, to.y) << l.text;
        EXPECT_LE(label->place.y + label->place.height, to.y + to.height) << l.text;
    }
    const DialogControl* rotate = static_label(panel_template, "Rotate AI line");
    ASSERT_NE(rotate, nullptr);
    const DialogRect& first = find_control(panel_template, id::rotate_back_10)->place;
    const DialogRect& last = find_control(panel_template, id::rotate_on_10)->place;
    EXPECT_TRUE(rotate->has(style::centred));
    EXPECT_EQ(rotate->place.x, first.x);
    EXPECT_EQ(rotate->place.x + rotate->place.width, last.x + last.width);
    EXPECT_LE(rotate->place.y + rotate->place.height, first.y);
}

TEST(Resources, NoTwoControlsOverlap) {
    // A drop-down list's height includes its opened list, which may cover others.
    for (const DialogTemplate* t : {&panel_template, &properties_template}) {
        const auto& controls = t->controls;
        for (std::size_t i = 0; i < controls.size(); ++i) {
            for (std::size_t j = i + 1; j < controls.size(); ++j) {
                if (controls[i].kind == ControlKind::drop_down_list ||
                    controls[j].kind == ControlKind::drop_down_list) {
                    continue;
                }
                EXPECT_FALSE(overlap(controls[i].place, controls[j].place))
                    << controls[i].text << " / " << controls[j].text;
            }
        }
    }
}

// Assistive tools name a control by its spoken name, its label or the static label without
// an ID before it; none is left without a name.
TEST(Resources, EveryControlHasAName) {
    for (const DialogTemplate* t : {&panel_template, &properties_template}) {
        bool label_before = false;
        for (const DialogControl& c : t->controls) {
            EXPECT_TRUE(!c.text.empty() || !c.spoken_name.empty() || label_before) << c.id;
            label_before |= c.kind == ControlKind::static_text && c.id == no_id;
        }
    }
}

// What a screen reader says for a label: markers gone, "&&" one "&", non-ASCII text intact.
TEST(Resources, PlainLabelDropsMnemonicMarkers) {
    const std::string_view cases[][2] = {
        {"", ""},          {"Save", "Save"},
        {"&Load", "Load"}, {"Fish && &Chips", "Fish & Chips"},
        {"&&&x", "&x"},    {"Tail&", "Tail"},
        {"&&", "&"},       {"\xe2\x86\x92 &\xc3\x9cber", "\xe2\x86\x92 \xc3\x9cber"}};
    for (const auto& [label, spoken] : cases) {
        EXPECT_EQ(plain_label(label), spoken) << label;
    }
}

TEST(PanelTemplate, SlidersCoverTheToolStateRanges) {
    // Slider, lowest and highest value, default value and the position that shows it.
    const int expected[][5] = {{id::brush_size, 5, 50, 15, 3},
                               {id::rope_length, 0, 100, 0, 0},
                               {id::image_blend, 0, 10, 5, 5}};
    ASSERT_EQ(panel_sliders.size(), std::size(expected));
    for (std::size_t i = 0; i < panel_sliders.size(); ++i) {
        const PanelSlider& s = panel_sliders[i];
        EXPECT_EQ(s.id, expected[i][0]);
        EXPECT_EQ(s.minimum * s.step, expected[i][1]) << s.id;
        EXPECT_EQ(s.maximum * s.step, expected[i][2]) << s.id;
        EXPECT_EQ(expected[i][3] / s.step, expected[i][4]) << s.id;
    }
}

// Each letter sends its command with Ctrl and with Alt, typed in either case.
TEST(Accelerators, CtrlAndAltOfEachLetterSendTheButtonsCommand) {
    for (const Accelerator& a : accelerators) {
        const char lower = static_cast<char>(a.key - 'A' + 'a');
        for (KeyModifier m : {KeyModifier::ctrl, KeyModifier::alt}) {
            EXPECT_EQ(accelerator_command(a.key, m), a.command) << a.key;
            EXPECT_EQ(accelerator_command(lower, m), a.command) << a.key;
        }
    }
    EXPECT_EQ(accelerator_command('X', KeyModifier::ctrl), no_id);
    EXPECT_EQ(accelerator_command('\0', KeyModifier::alt), no_id);
}

} // namespace
} // namespace cs
