#include "cli/track_json.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <limits>
#include <memory>
#include <new>
#include <nlohmann/json.hpp>
#include <vector>

#include "model/codepage.h"
#include "model/file_io.h"
#include "model/trk_file.h"

namespace cs {

namespace {

using nlohmann::json;

// --- Writing ---------------------------------------------------------------------------------

// The shortest decimal text that reads back to the same float, without an exponent (the
// values of a track are small, and 0.0001 diffs better than 1e-04).
void append_float(std::string& out, float value) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    out.append(buffer, result.ptr);
}

void append_int(std::string& out, long long value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void append_string(std::string& out, std::string_view utf8) {
    out += json(utf8).dump();
}

// "  "key": " at the start of a line of the top-level object.
void append_key(std::string& out, std::string_view key) {
    out += "  \"";
    out += key;
    out += "\": ";
}

// Named numbers of one element, in order, as {"a": 1, "b": 2}.
struct Member {
    std::string_view name;
    bool integer;
    float value;
};
void append_element(std::string& out, std::initializer_list<Member> members) {
    out += '{';
    bool first = true;
    for (const Member& m : members) {
        out += first ? "\"" : ", \"";
        first = false;
        out += m.name;
        out += "\": ";
        if (m.integer) {
            append_int(out, static_cast<long long>(m.value));
        } else {
            append_float(out, m.value);
        }
    }
    out += '}';
}

// A list of elements, one a line; each element written by element(out, i).
template <typename Write>
void append_list(std::string& out, std::string_view key, int count, Write element) {
    append_key(out, key);
    if (count == 0) {
        out += "[],\n";
        return;
    }
    out += "[\n";
    for (int i = 0; i < count; ++i) {
        out += "    ";
        element(out, i);
        out += i + 1 < count ? ",\n" : "\n";
    }
    out += "  ],\n";
}

// What a save stores and a load gives back.
float saved_x(float x) {
    return stored_to_x(static_cast<std::uint16_t>(x_units(x)));
}
float saved_y(float y) {
    return stored_to_y(static_cast<std::uint16_t>(y_units(y)));
}
float saved_angle(float angle) {
    return stored_to_angle(static_cast<std::uint16_t>(angle_units(angle)));
}

Member x_member(std::string_view name, float x) {
    return {name, false, saved_x(x)};
}
Member y_member(std::string_view name, float y) {
    return {name, false, saved_y(y)};
}

// --- Reading: the text to a tree --------------------------------------------------------------

// Lists nest an element in a list in the document: no field lies deeper than three
// containers, and no list is longer than the longest the track holds.
constexpr std::size_t deepest_container = 3;
constexpr std::size_t longest_array = max_objects;

// Builds the tree as nlohmann's own parser does, with three differences: a number with a
// fraction or an exponent is read from its text as a float, so that it is exactly the
// float the text stands for (not a double rounded again); a key given twice, a container
// nested deeper than any field and an array longer than any list are refused, which also
// bounds what a hostile document can make the reader hold.
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
};

// --- Reading: the tree to a track -------------------------------------------------------------

std::string number_text(const json& value) {
    if (value.is_number_integer()) {
        return value.dump();
    }
    // A number read as a float is shown as the float.
    const double d = value.get<double>();
    const bool is_float = std::fabs(d) <= std::numeric_limits<float>::max() &&
                          static_cast<double>(static_cast<float>(d)) == d;
    char buffer[64];
    const auto result = is_float
                            ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(d))
                            : std::to_chars(buffer, buffer + sizeof buffer, d);
    return std::string(buffer, result.ptr);
}

std::string type_of(const json& value) {
    return value.is_number()   ? "a number"
           : value.is_array()  ? "an array"
           : value.is_object() ? "an object"
                               : std::string("a ") + value.type_name();
}

std::string utf8_of(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

std::string code_point_text(char32_t c) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
    return buffer;
}

// Reads the fields of a document; the first problem found is the error, and the reading
// stops there.
class DocumentReader {
  public:
    explicit DocumentReader(Track& track) : t_(track) {}

    std::string error;
    std::uint16_t version = 0; // the document's trk_version

    bool read(const json& root) {
        if (!root.is_object()) {
            return fail("document", "must be an object, not " + type_of(root));
        }
        if (!read_format(root) || !known_fields("", root, top_level_fields) ||
            !present_fields("", root, top_level_fields)) {
            return false;
        }
        long long v = 0;
        if (!read_int(root, "trk_version", 0, trk_version_max, v)) {
            return false;
        }
        version = static_cast<std::uint16_t>(v);
        return read_byte(root, "world_size", t_.world_size) &&
               read_byte(root, "water_level", t_.water_level) &&
               read_short(root, "view_angle", t_.view_angle) &&
               read_short(root, "rotation", t_.rotation) && read_byte(root, "zoom", t_.zoom) &&
               read_byte(root, "sf_line", t_.sf_line) && read_text(root, "author", t_.author) &&
               read_text(root, "comments", t_.comments) && read_objects(root) && read_pits(root) &&
               read_checkpoints(root) &&
               read_line(root, "ai_line", max_ai_line, t_.ai_line.data(), t_.ai_line_count) &&
               read_line(root, "ai_pit_line", max_ai_pit_line, t_.ai_pit_line.data(),
                         t_.ai_pit_line_count) &&
               read_land(root) && read_heights(root);
    }

  private:
    static constexpr long long trk_version_max = cs::trk_version;
    static constexpr std::array<std::string_view, 18> top_level_fields = {
        "format",   "format_version", "trk_version", "world_size",  "water_level", "view_angle",
        "rotation", "zoom",           "sf_line",     "author",      "comments",    "objects",
        "pits",     "checkpoints",    "ai_line",     "ai_pit_line", "land",        "heights"};

    bool fail(const std::string& path, const std::string& problem) {
        error = path + ": " + problem;
        return false;
    }

    static std::string join(const std::string& path, std::string_view key) {
        return path.empty() ? std::string(key) : path + "." + std::string(key);
    }

    // The format's name first, then its version, so that a document of another kind or of
    // a later version says so rather than naming a field this version does not know.
    bool read_format(const json& root) {
        const auto format = root.find("format");
        if (format == root.end()) {
            return fail("format", "missing: not a track document");
        }
        if (!format->is_string() || format->get_ref<const std::string&>() != track_json_format) {
            return fail("format", "must be \"" + std::string(track_json_format) + "\"");
        }
        if (!root.contains("format_version")) {
            return fail("format_version", "missing");
        }
        const json& version = root.at("format_version");
        if (version.is_number_integer() && version.get<double>() > track_json_format_version) {
            return fail("format_version", number_text(version) +
                                              " is newer than this program reads (" +
                                              std::to_string(track_json_format_version) + ")");
        }
        long long v = 0;
        return integer("format_version", version, 1, track_json_format_version, v);
    }

    bool known_fields(const std::string& path, const json& object,
                      std::span<const std::string_view> fields) {
        for (const auto& [key, value] : object.items()) {
            if (std::find(fields.begin(), fields.end(), key) == fields.end()) {
                return fail(join(path, key), "unknown field");
            }
        }
        return true;
    }
    bool present_fields(const std::string& path, const json& object,
                        std::span<const std::string_view> fields) {
        for (std::string_view key : fields) {
            if (!object.contains(key)) {
                return fail(join(path, key), "missing");
            }
        }
        return true;
    }
    // An object with exactly these fields.
    bool fields_of(const std::string& path, const json& value,
                   std::initializer_list<std::string_view> fields) {
        if (!value.is_object()) {
            return fail(path, "must be an object, not " + type_of(value));
        }
        const std::span<const std::string_view> names(fields.begin(), fields.size());
        return known_fields(path, value, names) && present_fields(path, value, names);
    }

    bool integer(const std::string& path, const json& value, long long low, long long high,
                 long long& out) {
        if (!value.is_number()) {
            return fail(path, "must be an integer, not " + type_of(value));
        }
        if (!value.is_number_integer()) {
            // 105.0 is 105, as JSON has one kind of number.
            const double d = value.get<double>();
            if (d != std::trunc(d)) {
                return fail(path, number_text(value) + " is not an integer");
            }
            if (d < static_cast<double>(low) || d > static_cast<double>(high)) {
                return fail(path, number_text(value) + " is out of range " + std::to_string(low) +
                                      ".." + std::to_string(high));
            }
            out = static_cast<long long>(d);
            return true;
        }
        bool in_range = false;
        if (value.is_number_unsigned()) {
            const std::uint64_t u = value.get<std::uint64_t>();
            in_range = (low <= 0 || u >= static_cast<std::uint64_t>(low)) &&
                       u <= static_cast<std::uint64_t>(high);
        } else {
            const std::int64_t v = value.get<std::int64_t>();
            in_range = v >= low && v <= high;
        }
        if (!in_range) {
            return fail(path, number_text(value) + " is out of range " + std::to_string(low) +
                                  ".." + std::to_string(high));
        }
        out = value.get<std::int64_t>();
        return true;
    }
    bool read_int(const json& root, std::string_view key, long long low, long long high,
                  long long& out) {
        return integer(std::string(key), root.at(key), low, high, out);
    }
    bool read_byte(const json& root, std::string_view key, std::uint8_t& out) {
        long long v = 0;
        if (!read_int(root, key, 0, 255, v)) {
            return false;
        }
        out = static_cast<std::uint8_t>(v);
        return true;
    }
    bool read_short(const json& root, std::string_view key, std::int16_t& out) {
        long long v = 0;
        if (!read_int(root, key, -32768, 32767, v)) {
            return false;
        }
        out = static_cast<std::int16_t>(v);
        return true;
    }

    // A position or angle within what the file can hold: its 16 bits from 0 to 65535, in
    // half units (y upwards from the map's bottom edge) or ten-thousandths of a radian.
    // Outside, a save would keep only the low 16 bits and the value would come back as
    // another.
    struct Quantity {
        double low, high;
        const char* range;
    };
    static constexpr Quantity x_quantity{0.0, 32767.5, "0..32767.5"};
    static constexpr Quantity y_quantity{-32255.5, 512.0, "-32255.5..512"};
    static constexpr Quantity angle_quantity{0.0, 6.5535, "0..6.5535"};

    bool number(const std::string& path, const json& object, std::string_view key,
                const Quantity& quantity, float& out) {
        const json& value = object.at(key);
        const std::string where = path + "." + std::string(key);
        if (!value.is_number()) {
            return fail(where, "must be a number, not " + type_of(value));
        }
        const double d = value.get<double>();
        if (!(d >= quantity.low && d <= quantity.high)) {
            return fail(where, number_text(value) + " is out of range " + quantity.range);
        }
        out = static_cast<float>(d);
        return true;
    }

    // A list: its entries, at most capacity of them, each read by entry(path, value, i).
    template <typename Entry>
    bool list(const json& root, std::string_view key, int capacity, int& count, Entry entry) {
        const json& value = root.at(key);
        const std::string path(key);
        if (!value.is_array()) {
            return fail(path, "must be an array, not " + type_of(value));
        }
        if (value.size() > static_cast<std::size_t>(capacity)) {
            return fail(path, std::to_string(value.size()) + " entries, at most " +
                                  std::to_string(capacity));
        }
        count = static_cast<int>(value.size());
        for (int i = 0; i < count; ++i) {
            if (!entry(path + "[" + std::to_string(i) + "]", value[static_cast<std::size_t>(i)],
                       i)) {
                return false;
            }
        }
        return true;
    }

    bool read_objects(const json& root) {
        int count = 0;
        const bool ok = list(root, "objects", max_objects, count,
                             [this](const std::string& path, const json& e, int i) {
                                 Object& o = t_.objects[static_cast<std::size_t>(i)];
                                 long long kind = 0;
                                 if (!fields_of(path, e, {"kind", "x", "y", "angle"}) ||
                                     !integer(path + ".kind", e.at("kind"), 0, 255, kind)) {
                                     return false;
                                 }
                                 o.kind = static_cast<std::uint8_t>(kind);
                                 return number(path, e, "x", x_quantity, o.x) &&
                                        number(path, e, "y", y_quantity, o.y) &&
                                        number(path, e, "angle", angle_quantity, o.angle);
                             });
        t_.object_count = static_cast<std::uint16_t>(count);
        return ok;
    }
    bool read_pits(const json& root) {
        int count = 0;
        const bool ok = list(root, "pits", max_pits, count,
                             [this](const std::string& path, const json& e, int i) {
                                 Pit& p = t_.pits[static_cast<std::size_t>(i)];
                                 return fields_of(path, e, {"x", "y", "angle"}) &&
                                        number(path, e, "x", x_quantity, p.x) &&
                                        number(path, e, "y", y_quantity, p.y) &&
                                        number(path, e, "angle", angle_quantity, p.angle);
                             });
        t_.pit_count = static_cast<std::uint8_t>(count);
        return ok;
    }
    bool read_checkpoints(const json& root) {
        int count = 0;
        const bool ok = list(root, "checkpoints", max_checkpoints, count,
                             [this](const std::string& path, const json& e, int i) {
                                 Checkpoint& c = t_.checkpoints[static_cast<std::size_t>(i)];
                                 return fields_of(path, e, {"x1", "y1", "x2", "y2"}) &&
                                        number(path, e, "x1", x_quantity, c.x1) &&
                                        number(path, e, "y1", y_quantity, c.y1) &&
                                        number(path, e, "x2", x_quantity, c.x2) &&
                                        number(path, e, "y2", y_quantity, c.y2);
                             });
        t_.checkpoint_count = static_cast<std::uint8_t>(count);
        return ok;
    }
    template <typename Count>
    bool read_line(const json& root, std::string_view key, int capacity, LinePoint* points,
                   Count& count_out) {
        int count = 0;
        const bool ok = list(root, key, capacity, count,
                             [this, points](const std::string& path, const json& e, int i) {
                                 LinePoint& p = points[i];
                                 return fields_of(path, e, {"x", "y"}) &&
                                        number(path, e, "x", x_quantity, p.x) &&
                                        number(path, e, "y", y_quantity, p.y);
                             });
        count_out = static_cast<Count>(count);
        return ok;
    }

    // Author and comments: UTF-8 in the document, the code page's bytes in the track, as
    // many as the file has room for and without the terminator, which would end the text.
    template <std::size_t size>
    bool read_text(const json& root, std::string_view key, std::array<char, size>& out) {
        const json& value = root.at(key);
        const std::string path(key);
        if (!value.is_string()) {
            return fail(path, "must be a string, not " + type_of(value));
        }
        std::string bytes;
        char32_t refused = 0;
        if (!utf8_to_cp1252_exact(value.get_ref<const std::string&>(), bytes, refused)) {
            // The character itself is shown when it is printable.
            std::string shown;
            if (refused >= 0xA0 && refused != 0x2028 && refused != 0x2029 && refused != 0xFFFD) {
                shown = " \"" + utf8_of(refused) + "\"";
            }
            return fail(path,
                        code_point_text(refused) + shown + " is not in the Windows-1252 code page");
        }
        if (bytes.find('\0') != std::string::npos) {
            return fail(path, "U+0000 cannot be stored: it would end the text");
        }
        if (bytes.size() > size - 1) {
            return fail(path, std::to_string(bytes.size()) + " bytes in Windows-1252, at most " +
                                  std::to_string(size - 1));
        }
        out.fill(0);
        std::copy(bytes.begin(), bytes.end(), out.begin());
        return true;
    }

    bool rows(const json& value, const std::string& path, std::size_t count,
              std::string_view what) {
        if (!value.is_array()) {
            return fail(path, "must be an array, not " + type_of(value));
        }
        if (value.size() != count) {
            return fail(path, std::to_string(value.size()) + " " + std::string(what) + ", not " +
                                  std::to_string(count));
        }
        return true;
    }

    // 512 strings of 512 hexadecimal digits, row 0 (the top) first; each digit one cell.
    bool read_land(const json& root) {
        const json& land = root.at("land");
        if (!rows(land, "land", map_size, "rows")) {
            return false;
        }
        for (int y = 0; y < map_size; ++y) {
            const json& row = land[static_cast<std::size_t>(y)];
            const std::string path = "land[" + std::to_string(y) + "]";
            if (!row.is_string()) {
                return fail(path, "must be a string, not " + type_of(row));
            }
            const std::string& digits = row.get_ref<const std::string&>();
            const std::size_t n = std::min(digits.size(), std::size_t{map_size});
            for (std::size_t x = 0; x < n; ++x) {
                const char c = digits[x];
                const int v = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
                if (v < 0) {
                    const bool printable = c > ' ' && c < 0x7F;
                    return fail(path + "[" + std::to_string(x) + "]",
                                "not a hexadecimal digit" +
                                    (printable ? std::string(" ('") + c + "')" : std::string()));
                }
                t_.land[static_cast<std::size_t>(y * map_size) + x] = static_cast<std::uint8_t>(v);
            }
            if (digits.size() != map_size) {
                return fail(path, std::to_string(digits.size()) + " cells, not " +
                                      std::to_string(map_size));
            }
        }
        return true;
    }

    // 64 rows of 64 samples, row 0 (the top) first; each sample the byte the file stores,
    // the high byte of the track's 16-bit height.
    bool read_heights(const json& root) {
        const json& heights = root.at("heights");
        if (!rows(heights, "heights", height_size, "rows")) {
            return false;
        }
        for (int r = 0; r < height_size; ++r) {
            const json& row = heights[static_cast<std::size_t>(r)];
            const std::string path = "heights[" + std::to_string(r) + "]";
            if (!rows(row, path, height_size, "samples")) {
                return false;
            }
            for (int c = 0; c < height_size; ++c) {
                long long v = 0;
                if (!integer(path + "[" + std::to_string(c) + "]", row[static_cast<std::size_t>(c)],
                             0, 255, v)) {
                    return false;
                }
                t_.heights[static_cast<std::size_t>(r * height_size + c)] =
                    static_cast<std::uint16_t>(v << 8);
            }
        }
        return true;
    }

    Track& t_;
};

// The tool's line for a failure: "PATH: MESSAGE", then the system's reason in parentheses
// when there is one (as failure_line in png_output.h, which this file does without, so that
// the fuzz harness and its seed writer need none of the tool's output code).
std::string failure(const std::string& path, std::string_view message,
                    const std::error_code& reason) {
    std::string line = path + ": " + std::string(message);
    if (reason) {
        line += " (" + reason.message() + ")";
    }
    return line;
}

bool ends_with_ignoring_case(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<long>(suffix.size()),
                      [](char a, char b) {
                          return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b);
                      });
}

} // namespace

std::string track_to_json(const Track& t, std::uint16_t trk_version) {
    std::string out;
    out.reserve(300000 + 64 * std::size_t{t.object_count} + 36 * std::size_t{t.ai_line_count});
    out += "{\n";
    append_key(out, "format");
    append_string(out, track_json_format);
    out += ",\n";
    const auto integer_field = [&out](std::string_view key, long long value) {
        append_key(out, key);
        append_int(out, value);
        out += ",\n";
    };
    integer_field("format_version", track_json_format_version);
    integer_field("trk_version", trk_version);
    integer_field("world_size", t.world_size);
    integer_field("water_level", t.water_level);
    integer_field("view_angle", t.view_angle);
    integer_field("rotation", t.rotation);
    integer_field("zoom", t.zoom);
    integer_field("sf_line", t.sf_line);
    // The code page's bytes as they are: line ends stay CR LF, so that every byte comes back.
    append_key(out, "author");
    append_string(out, cp1252_to_utf8(text_of(t.author)));
    out += ",\n";
    append_key(out, "comments");
    append_string(out, cp1252_to_utf8(text_of(t.comments)));
    out += ",\n";

    append_list(out, "objects", t.object_count, [&t](std::string& o, int i) {
        const Object& e = t.objects[static_cast<std::size_t>(i)];
        append_element(o, {{"kind", true, static_cast<float>(e.kind)},
                           x_member("x", e.x),
                           y_member("y", e.y),
                           {"angle", false, saved_angle(e.angle)}});
    });
    append_list(out, "pits", t.pit_count, [&t](std::string& o, int i) {
        const Pit& e = t.pits[static_cast<std::size_t>(i)];
        append_element(
            o, {x_member("x", e.x), y_member("y", e.y), {"angle", false, saved_angle(e.angle)}});
    });
    append_list(out, "checkpoints", t.checkpoint_count, [&t](std::string& o, int i) {
        const Checkpoint& e = t.checkpoints[static_cast<std::size_t>(i)];
        append_element(o, {x_member("x1", e.x1), y_member("y1", e.y1), x_member("x2", e.x2),
                           y_member("y2", e.y2)});
    });
    const auto point = [](const LinePoint* points) {
        return [points](std::string& o, int i) {
            append_element(o, {x_member("x", points[i].x), y_member("y", points[i].y)});
        };
    };
    append_list(out, "ai_line", t.ai_line_count, point(t.ai_line.data()));
    append_list(out, "ai_pit_line", t.ai_pit_line_count, point(t.ai_pit_line.data()));

    static constexpr char hex[] = "0123456789abcdef";
    append_key(out, "land");
    out += "[\n";
    for (int y = 0; y < map_size; ++y) {
        out += "    \"";
        for (int x = 0; x < map_size; ++x) {
            out += hex[t.land[static_cast<std::size_t>(y * map_size + x)] & 0x0F];
        }
        out += y + 1 < map_size ? "\",\n" : "\"\n";
    }
    out += "  ],\n";
    append_key(out, "heights");
    out += "[\n";
    for (int r = 0; r < height_size; ++r) {
        out += "    [";
        for (int c = 0; c < height_size; ++c) {
            if (c > 0) {
                out += ", ";
            }
            append_int(out, t.heights[static_cast<std::size_t>(r * height_size + c)] >> 8);
        }
        out += r + 1 < height_size ? "],\n" : "]\n";
    }
    out += "  ]\n}\n";
    return out;
}

JsonReadResult track_from_json(std::string_view text, Track& track) {
    JsonReadResult result;
    try {
        json root;
        TreeBuilder builder(root);
        if (!json::sax_parse(text.data(), text.data() + text.size(), &builder)) {
            result.error = builder.error.empty() ? "not a JSON document" : builder.error;
            return result;
        }
        // Read into a copy so that a refused document leaves the track as it was.
        auto parsed = std::make_unique<Track>(track);
        DocumentReader reader(*parsed);
        if (!reader.read(root)) {
            result.error = reader.error;
            return result;
        }
        recompute_world_scale(*parsed);
        track = *parsed;
        result.trk_version = reader.version;
    } catch (const std::bad_alloc&) {
        result.error = "not enough memory to read the document";
    }
    return result;
}

bool has_json_extension(std::string_view path) {
    return ends_with_ignoring_case(path, ".json");
}

TrackForm track_form_of(std::string_view path, std::span<const std::uint8_t> bytes) {
    if (has_json_extension(path)) {
        return TrackForm::json;
    }
    if (ends_with_ignoring_case(path, ".trk")) {
        return TrackForm::trk;
    }
    const bool mark = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
    for (std::uint8_t b : bytes.subspan(mark ? 3 : 0)) {
        if (b != ' ' && b != '\t' && b != '\n' && b != '\r') {
            return b == '{' ? TrackForm::json : TrackForm::trk;
        }
    }
    return TrackForm::trk;
}

bool load_any_track(const std::string& path, Track& track, std::uint16_t& version,
                    std::string& error) {
    const bool json_name = has_json_extension(path);
    std::vector<std::uint8_t> bytes;
    std::error_code reason;
    if (!read_whole_file(path_of_utf8(path), bytes, &reason,
                         json_name ? max_track_json_size
                                   : std::max(max_track_json_size, max_track_file_size))) {
        if (reason != std::errc::file_too_large) {
            error = failure(path, message_for(TrackFileError::cant_open), reason);
        } else if (json_name) {
            error = path + ": larger than any track document (" +
                    std::to_string(max_track_json_size >> 20) + " MiB)";
        } else {
            error = failure(path, message_for(TrackFileError::damaged), reason);
        }
        return false;
    }
    if (track_form_of(path, bytes) == TrackForm::json) {
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        const JsonReadResult result = track_from_json(text, track);
        if (!result.ok()) {
            error = path + ": " + result.error;
            return false;
        }
        version = result.trk_version;
        return true;
    }
    // As read_track: nothing longer than any track file is parsed.
    if (bytes.size() > max_track_file_size) {
        error = failure(path, message_for(TrackFileError::damaged),
                        std::make_error_code(std::errc::file_too_large));
        return false;
    }
    const TrackReadResult result = parse_track(bytes, track);
    if (result.error != TrackFileError::none) {
        error = failure(path, message_for(result.error), result.reason);
        return false;
    }
    version = result.version;
    return true;
}

} // namespace cs
