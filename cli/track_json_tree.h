// The first step of reading a track document: its text to a JSON tree.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace cs {

// Builds the tree of the text in root, as nlohmann's own parser does, with three
// differences: a number with a fraction or an exponent is read from its text as a float, so
// that it is exactly the float the text stands for (not a double rounded again); a key
// given twice, a container nested deeper than any field and an array longer than any list
// are refused, which also bounds what a hostile document can make the reader hold. Empty
// when the text was read, otherwise one line: "line L, column C: ..." for text that is no
// JSON, "PATH: ..." for what is refused.
std::string parse_json_tree(std::string_view text, nlohmann::json& root);

} // namespace cs
