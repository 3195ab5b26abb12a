// What every command of coursesmith-cli shares: its entry in the command table, the parse of
// its options and operands, and the usage errors and failure lines it prints.
#pragma once

#include <cstddef>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace cs {

inline constexpr int exit_ok = 0;
inline constexpr int exit_flawed = 1;
inline constexpr int exit_failure = 2;

using Arguments = std::vector<std::string_view>;

struct Command {
    std::string_view name;
    std::string_view help; // starts with the command's usage line
    int (*run)(const Command& self, const Arguments& args);
};

// The program's own usage text, shown without a command.
extern const std::string_view usage_text;

struct OptionRule {
    std::string_view name;
    bool takes_value = false;
};

// What a command was given: each rule's values in the order given (a flag counts as one
// empty value), then the operands. "--" ends the options; "-" is an operand.
struct CommandArguments {
    std::vector<std::vector<std::string>> values; // by rule
    std::vector<std::string> operands;

    bool given(std::size_t rule) const { return !values[rule].empty(); }
};

void print_text(std::FILE* stream, std::string_view text);

// Prints "coursesmith-cli: PROBLEM" and the command's help (or the program's, without one)
// to standard error; returns exit_failure.
int usage_error(const Command* command, std::string_view problem);

// The file layer's failure line: the path, the message and the system's reason.
void print_failure(std::string_view path, std::string_view message,
                   const std::error_code& reason = {});

// False, after the usage error (exit_code set), for an unknown option or one missing its
// value.
bool parse_command_line(const Command& command, const Arguments& args,
                        std::span<const OptionRule> rules, CommandArguments& parsed,
                        int& exit_code);

// Operands only: false, after the usage error, when an option is given or the count is off.
bool operands_only(const Command& command, const Arguments& args, std::size_t count,
                   std::string_view problem, CommandArguments& parsed, int& exit_code);

} // namespace cs
