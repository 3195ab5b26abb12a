// The reader of track documents: track_from_json, from the tree of the text to the track.
#include "cli/track_json.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <new>
#include <type_traits>

#include "cli/track_json_fields.h"
#include "cli/track_json_tree.h"
#include "model/codepage.h"
#include "model/trk_file.h"

namespace cs {

namespace {

using nlohmann::json;

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
               read_text(root, "comments", t_.comments) &&
               read_list(root, "objects", max_objects, t_.objects.data(), t_.object_count,
                         object_fields) &&
               read_list(root, "pits", max_pits, t_.pits.data(), t_.pit_count, pit_fields) &&
               read_list(root, "checkpoints", max_checkpoints, t_.checkpoints.data(),
                         t_.checkpoint_count, checkpoint_fields) &&
               read_list(root, "ai_line", max_ai_line, t_.ai_line.data(), t_.ai_line_count,
                         point_fields) &&
               read_list(root, "ai_pit_line", max_ai_pit_line, t_.ai_pit_line.data(),
                         t_.ai_pit_line_count, point_fields) &&
               read_land(root) && read_heights(root);
    }

  private:
    static constexpr long long trk_version_max = cs::trk_version;

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
    // An object with exactly the fields of the table.
    template <typename Element, std::size_t field_count>
    bool fields_of(const std::string& path, const json& value,
                   const Field<Element> (&fields)[field_count]) {
        if (!value.is_object()) {
            return fail(path, "must be an object, not " + type_of(value));
        }
        std::array<std::string_view, field_count> names;
        std::transform(std::begin(fields), std::end(fields), names.begin(),
                       [](const Field<Element>& field) { return field.name; });
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

    // A list of elements, each an object with just the fields of the table, in any order.
    template <typename Element, std::size_t field_count, typename Count>
    bool read_list(const json& root, std::string_view key, int capacity, Element* elements,
                   Count& count_out, const Field<Element> (&fields)[field_count]) {
        int count = 0;
        const bool ok = list(root, key, capacity, count,
                             [&](const std::string& path, const json& value, int i) {
                                 return read_element(path, value, fields, elements[i]);
                             });
        count_out = static_cast<Count>(count);
        return ok;
    }
    template <typename Element, std::size_t field_count>
    bool read_element(const std::string& path, const json& value,
                      const Field<Element> (&fields)[field_count], Element& e) {
        if (!fields_of(path, value, fields)) {
            return false;
        }
        for (const Field<Element>& field : fields) {
            if constexpr (std::is_same_v<Element, Object>) {
                if (field.measure == Measure::kind) {
                    long long kind = 0;
                    if (!integer(path + ".kind", value.at("kind"), 0, 255, kind)) {
                        return false;
                    }
                    e.kind = static_cast<std::uint8_t>(kind);
                    continue;
                }
            }
            const Quantity& quantity = field.measure == Measure::x   ? x_quantity
                                       : field.measure == Measure::y ? y_quantity
                                                                     : angle_quantity;
            if (!number(path, value, field.name, quantity, e.*field.value)) {
                return false;
            }
        }
        return true;
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

} // namespace

JsonReadResult track_from_json(std::string_view text, Track& track) {
    JsonReadResult result;
    try {
        json root;
        result.error = parse_json_tree(text, root);
        if (!result.ok()) {
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

} // namespace cs
