// The Ui port: everything the editor asks of the windowing system. The desktop shell
// implements it with Qt; ScriptedUi implements it for tests, benchmarks and the CLI.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/tools.h"
#include "render/view.h"

namespace cs {

struct FileFilter {
    std::string name;    // "Tyrestorm Track Files (*.trk)"
    std::string pattern; // "*.TRK"
};

// What a file dialog shows and demands. Both dialogs are owned by the tool panel.
struct FileDialogRequest {
    std::vector<FileFilter> filters; // the first one is selected
    std::string default_extension;   // appended when the user types a name without one
    std::string initial_name;        // the name last chosen for this operation
    bool path_must_exist = true;
    bool file_must_exist = false;   // open dialogs
    bool confirm_overwrite = false; // save dialogs
};

enum class ScrollBar { horizontal, vertical };

struct ScrollSettings {
    int minimum = 0;
    int maximum = 0;
    int page = 0;
    int position = 0;
    bool show_disabled = false; // keep the bar visible (disabled) when it has nothing to scroll
};

struct ClientSize {
    int width = 512;
    int height = 512;
};

// The values the track properties dialog edits. Author and comments are in the
// interface's form (UTF-8, line feeds); the core converts them to stored bytes.
struct PropertiesValues {
    int water_level = 0;
    int view_angle = 0;
    int rotation = 0;
    int zoom = 0;
    int world_size = 0;
    bool sf_line = false;
    int track_length = 0; // shown only
    std::string author;
    std::string comments;
};

// The value of the dialog that a property slider sets.
int& property_value(PropertiesValues& values, TrackProperty property);
inline int property_value(const PropertiesValues& values, TrackProperty property) {
    return property_value(const_cast<PropertiesValues&>(values), property);
}

// The answer to the question asked before a modified track is dropped.
enum class ChangesAnswer { save, discard, cancel };

class Ui : public ViewDisplay {
  public:
    virtual ~Ui() = default;

    // A message box captioned "CourseSmith" with an OK button.
    virtual void message_box(std::string_view text) = 0;
    // The one Yes/No question (captioned "CourseSmith"); true for Yes.
    virtual bool ask_yes_no(std::string_view text) = 0;
    // The question before unsaved changes are dropped (captioned "CourseSmith"): Save (the
    // default button), Discard, Cancel (also Escape and the close box).
    virtual ChangesAnswer ask_save_changes(std::string_view text) = 0;
    // The chosen path, or nothing when the user cancels.
    virtual std::optional<std::string> open_file_dialog(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> save_file_dialog(const FileDialogRequest& request) = 0;

    // Panel controls, by control ID.
    virtual void set_control_enabled(int id, bool enabled) = 0;
    virtual void set_check(int id, bool checked) = 0; // check boxes and radio buttons
    virtual int check_state(int id) = 0;              // 1 checked, 0 unchecked
    virtual void set_slider(int id, int minimum, int maximum, int position) = 0;
    virtual int slider_position(int id) = 0;
    virtual void select_object_kind_entry(int position) = 0; // display position 0..24
    virtual int object_kind_selection() = 0;                 // display position, -1 for none

    virtual void set_window_title(std::string_view title) = 0;
    // Whether the title carries the platform's mark of a modified document; the title
    // itself does not change.
    virtual void set_modified_mark(bool modified) = 0;

    // The view window.
    virtual ClientSize view_client_size() = 0;
    virtual void set_scroll_bar(ScrollBar bar, const ScrollSettings& settings) = 0;
    virtual ScrollSettings scroll_bar(ScrollBar bar) = 0;
    // repaint_view_now and tick_count: see ViewDisplay.
    virtual void capture_mouse() = 0;
    virtual void release_mouse() = 0;

    // Starts a program without waiting for it; false if it could not be started.
    virtual bool start_program(const std::string& path) = 0;

    // Runs the modal "Track properties" dialog, starting from values. On OK, values takes
    // what the user set and on_ok runs while the dialog is still open (so a message it
    // shows belongs to the dialog); then the dialog closes and the result is true.
    virtual bool
    run_properties_dialog(PropertiesValues& values,
                          const std::function<void(const PropertiesValues&)>& on_ok) = 0;
};

} // namespace cs
