#include "cli/track_json_tree.h"

#include <charconv>
#include <cstdio>
#include <vector>

#include "cli/track_json_fields.h"
#include "model/track.h"

namespace cs {

namespace {

using nlohmann::json;

// Lists nest an element in a list in the document: no field lies deeper than three
// containers, and no list is longer than the longest the track holds.
constexpr std::size_t deepest_container = 3;
constexpr std::size_t longest_array = max_objects;

// The values of the fullest document (the document itself, its fields, every list at its
// capacity, each element with its fields, the land rows, the height rows and samples).
// No document with more is a track, and the bound keeps the tree of any text the reader
// takes to about twice that of the fullest track, where a text of small values alone
// would make one many times its own size.
constexpr std::size_t most_values =
    1 + top_level_fields.size() + max_objects * (1 + std::size(object_fields)) +
    max_pits * (1 + std::size(pit_fields)) + max_checkpoints * (1 + std::size(checkpoint_fields)) +
    (max_ai_line + max_ai_pit_line) * (1 + std::size(point_fields)) + map_size +
    height_size * (1 + height_size);

// The handler of nlohmann's SAX parser that builds the tree (see parse_json_tree).
class TreeBuilder {
  public:
    explicit TreeBuilder(json& root) : root_(root) {}

    std::string error; // one line, set when the parse stops

    bool null() { return add(nullptr); }
    bool boolean(bool value) { return add(value); }
    bool number_integer(std::int64_t value) { return add(value); }
    bool number_unsigned(std::uint64_t value) { return add(value); }
    bool number_float(double value, const std::string& text) {
        float f = 0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), f);
        // Beyond the float range the double stands; every field refuses it anyway.
        const bool exact = result.ec == std::errc{} && result.ptr == text.data() + text.size();
        return add(exact ? static_cast<double>(f) : value);
    }
    bool string(std::string& value) { return add(std::move(value)); }
    bool binary(json::binary_t&) { return false; } // not in JSON text
    bool start_object(std::size_t) { return open(json::object()); }
    bool start_array(std::size_t) { return open(json::array()); }
    bool key(std::string& name) {
        Frame& top = frames_.back();
        top.key = std::move(name);
        if (top.value->contains(top.key)) {
            return refuse("given twice");
        }
        return true;
    }
    bool end_object() { return close(); }
    bool end_array() { return close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) {
        error = syntax_message(e.what());
        return false;
    }

  private:
    struct Frame {
        json* value;
        std::string key; // in an object: the key of the value that comes next
    };

    // The path of the value that comes next (objects[3].kind), or of the innermost open
    // container.
    std::string path(bool of_innermost = false) const {
        std::string path;
        const std::size_t depth = frames_.size() - (of_innermost ? 1 : 0);
        for (std::size_t i = 0; i < depth; ++i) {
            const Frame& f = frames_[i];
            if (f.value->is_object()) {
                path += (path.empty() ? "" : ".") + f.key;
            } else {
                // An open container is its parent's last entry.
                const std::size_t index = f.value->size() - (i + 1 < frames_.size() ? 1 : 0);
                path += "[" + std::to_string(index) + "]";
            }
        }
        return path.empty() ? "document" : path;
    }

    bool refuse(const std::string& problem, bool of_innermost = false) {
        error = path(of_innermost) + ": " + problem;
        return false;
    }

    bool add(json value) {
        place(std::move(value));
        return error.empty();
    }
    json* place(json value) {
        if (++values_ > most_values) {
            error = "document: more than " + std::to_string(most_values) +
                    " values, more than any track document holds";
            return nullptr;
        }
        if (frames_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        json& parent = *frames_.back().value;
        if (parent.is_array()) {
            if (parent.size() == longest_array) {
                refuse("more than " + std::to_string(longest_array) + " entries", true);
                return nullptr;
            }
            parent.push_back(std::move(value));
            return &parent.back();
        }
        json& slot = parent[frames_.back().key];
        slot = std::move(value);
        return &slot;
    }
    bool open(json container) {
        if (frames_.size() == deepest_container) {
            return refuse("nested deeper than any field of a track document");
        }
        json* placed = place(std::move(container));
        if (placed == nullptr) {
            return false;
        }
        frames_.push_back({placed, {}});
        return true;
    }
    bool close() {
        frames_.pop_back();
        return true;
    }

    // nlohmann's message without its prefix: "line 3, column 14: syntax error while parsing
    // object separator - unexpected ...", its quote of the text cut to a readable length.
    static std::string syntax_message(std::string_view what) {
        constexpr std::string_view at = "parse error at ";
        const std::size_t start = what.find(at);
        const std::string message =
            printable(start == std::string_view::npos ? what : what.substr(start + at.size()));
        constexpr std::size_t longest = 160;
        if (message.size() <= longest) {
            return message;
        }
        std::size_t cut = longest;
        while (cut > 0 && (static_cast<unsigned char>(message[cut]) & 0xC0) == 0x80) {
            --cut; // not inside a UTF-8 character
        }
        return message.substr(0, cut) + "...";
    }

    // The text with each byte that is not part of a UTF-8 character (the quoted text of a
    // document that is not UTF-8) written as \xHH, so that the message is UTF-8 throughout.
    static std::string printable(std::string_view text) {
        std::string out;
        for (std::size_t i = 0; i < text.size();) {
            const auto lead = static_cast<unsigned char>(text[i]);
            const std::size_t length = lead < 0x80                  ? 1
                                       : lead < 0xC2 || lead > 0xF4 ? 0
                                       : (lead & 0xE0) == 0xC0      ? 2
                                       : (lead & 0xF0) == 0xE0      ? 3
                                       : (lead & 0xF8) == 0xF0      ? 4
                                                                    : 0;
            bool whole = length > 0 && i + length <= text.size();
            for (std::size_t k = 1; whole && k < length; ++k) {
                whole = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
            }
            if (whole) {
                out.append(text.substr(i, length));
                i += length;
            } else {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", lead);
                out += escaped;
                ++i;
            }
        }
        return out;
    }

    json& root_;
    std::vector<Frame> frames_;
    std::size_t values_ = 0;
};

} // namespace

std::string parse_json_tree(std::string_view text, json& root) {
    TreeBuilder builder(root);
    if (!json::sax_parse(text.data(), text.data() + text.size(), &builder)) {
        return builder.error.empty() ? "not a JSON document" : builder.error;
    }
    return {};
}

} // namespace cs
