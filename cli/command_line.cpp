// Options and operands through CLI11, with the tool's own messages: an option that is not
// the command's, or one without its value, is a usage error naming it.
#include "cli/command_line.h"

#include <CLI/CLI.hpp>

#include "cli/png_output.h"

namespace cs {

void print_text(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
}

int usage_error(const Command* command, std::string_view problem) {
    std::fprintf(stderr, "coursesmith-cli: %.*s\n\n", static_cast<int>(problem.size()),
                 problem.data());
    print_text(stderr, command != nullptr ? command->help : usage_text);
    return exit_failure;
}

void print_failure(std::string_view path, std::string_view message, const std::error_code& reason) {
    print_text(stderr, failure_line(path, message, reason) + "\n");
}

bool parse_command_line(const Command& command, const Arguments& args,
                        std::span<const OptionRule> rules, CommandArguments& parsed,
                        int& exit_code) {
    // A flag takes no value: CLI11 would read "--json=no" as the flag cleared.
    for (std::string_view arg : args) {
        if (arg == "--") {
            break;
        }
        for (const OptionRule& rule : rules) {
            if (!rule.takes_value && arg.starts_with(rule.name) && arg.size() > rule.name.size() &&
                arg[rule.name.size()] == '=') {
                exit_code = usage_error(&command, std::string(rule.name) + " takes no value");
                return false;
            }
        }
    }

    CLI::App app;
    app.set_help_flag();
    app.allow_extras(); // reported below, by name, in the order given
    parsed.values.assign(rules.size(), {});
    std::vector<CLI::Option*> flags(rules.size(), nullptr);
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const std::string name(rules[i].name);
        if (rules[i].takes_value) {
            app.add_option(name, parsed.values[i])
                ->expected(1)
                ->allow_extra_args(false) // one value each time the option is given
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        } else {
            flags[i] = app.add_flag(name);
        }
    }
    app.add_option("operands", parsed.operands);

    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        // What a rule allows to go wrong: an option's value is missing, which CLI11 reports
        // as "NAME: 1 required TEXT missing".
        const std::string_view what = error.what();
        std::string problem(what);
        for (const OptionRule& rule : rules) {
            if (what.starts_with(rule.name) && what.substr(rule.name.size(), 1) == ":") {
                problem = std::string(rule.name) + " takes a value";
            }
        }
        exit_code = usage_error(&command, problem);
        return false;
    }
    // The extras are the unknown options and the "--" that ended the options, if any.
    for (const std::string& unknown : app.remaining()) {
        if (unknown != "--") {
            exit_code = usage_error(&command, "unknown option for " + std::string(command.name) +
                                                  ": " + unknown);
            return false;
        }
    }
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (flags[i] != nullptr) {
            parsed.values[i].resize(flags[i]->count());
        }
    }
    return true;
}

bool operands_only(const Command& command, const Arguments& args, std::size_t count,
                   std::string_view problem, CommandArguments& parsed, int& exit_code) {
    if (!parse_command_line(command, args, {}, parsed, exit_code)) {
        return false;
    }
    if (parsed.operands.size() != count) {
        exit_code = usage_error(&command, problem);
        return false;
    }
    return true;
}

} // namespace cs
