// coursesmith-cli: the editor's core on the command line, for scripts and other tools.
#include <array>
#include <string_view>

#include "cli/commands.h"
#include "coursesmith_version.h"

namespace cs {

const std::string_view usage_text =
    "Usage: coursesmith-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  new OUT.trk                 write the track a fresh editor holds\n"
    "  info [--json] TRACK         summarise a track (--json: the track as a JSON document)\n"
    "  validate TRACK...           list each track's flaws\n"
    "                              (exit 0: all flawless, 1: a flaw, 2: unreadable)\n"
    "  convert [--to json|trk] IN OUT\n"
    "                              convert between track files (any version read, the\n"
    "                              current one written) and JSON documents\n"
    "  render TRACK OUT.png [OPTIONS]\n"
    "                              draw the track as the editor shows it; OPTIONS are\n"
    "                              [--blend N] [--hide objects|checkpoints|ai]...\n"
    "                              [--zoom 1|2|4] [--size N]\n"
    "  export-land TRACK OUT.bmp   write the land map as a 16-colour bitmap\n"
    "  export-heights TRACK OUT.bmp\n"
    "                              write the height grid as a 256-colour bitmap\n"
    "  import-land TRACK IN.bmp OUT.trk\n"
    "                              replace the land map from a bitmap\n"
    "  import-heights TRACK IN.bmp OUT.trk\n"
    "                              replace the height grid from a bitmap\n"
    "  import-lap TRACK LAPFILE OUT.trk\n"
    "                              take the AI line from a lap the game recorded\n"
    "  replay [--track IN.trk] SCRIPT [--save OUT.trk] [--png OUT.png]\n"
    "                              run a script of commands and mouse gestures\n"
    "                              (SCRIPT - reads standard input)\n"
    "  diff [--png OUT.png] A B    list what changed from track A to track B\n"
    "                              (exit 0: the same, 1: different, 2: a failure)\n"
    "  --help                      show this help\n"
    "  --version                   show the version\n"
    "\n"
    "An output named - is standard output. -- ends the options.\n"
    "COMMAND --help shows the help of one command.\n";

} // namespace cs

namespace {

using namespace cs;

constexpr std::array<Command, 12> commands{{
    {"new",
     "Usage: coursesmith-cli new OUT.trk\n"
     "\n"
     "Writes the track that a fresh editor holds (the default track) to OUT.trk, or to\n"
     "standard output when OUT.trk is -.\n",
     command_new},
    {"info",
     "Usage: coursesmith-cli info [--json] TRACK\n"
     "\n"
     "Summarises a track (a track file or a JSON document): version, properties, element\n"
     "counts, track length, author and comments.\n"
     "  --json  the whole track as the JSON document convert writes (docs/track-json.md)\n",
     command_info},
    {"validate",
     "Usage: coursesmith-cli validate TRACK...\n"
     "\n"
     "Lists each track's flaws, as the editor checks them before saving.\n"
     "Exit status: 0 all flawless, 1 a track has a flaw, 2 a track cannot be read.\n",
     command_validate},
    {"convert",
     "Usage: coursesmith-cli convert [--to json|trk] IN OUT\n"
     "\n"
     "Reads a track, from a track file of any version (256 to 261) or a JSON document, and\n"
     "writes it to OUT (- : standard output): as a JSON document (docs/track-json.md) when\n"
     "OUT ends in .json, otherwise as a track file of the current version. IN is read as a\n"
     "JSON document when its name ends in .json, as a track file when it ends in .trk, and\n"
     "otherwise as a JSON document when it starts with \"{\" after blanks. A track file\n"
     "converted to a document and back gives the file that converting it to a track file\n"
     "gives.\n"
     "  --to json|trk   the form to write, whatever OUT's name (for standard output)\n",
     command_convert},
    {"render",
     "Usage: coursesmith-cli render TRACK OUT.png [OPTIONS]\n"
     "\n"
     "Draws the track as the editor shows it and writes a PNG picture (OUT.png - : standard\n"
     "output). TRACK may also be a file:// URI, as file managers give thumbnailers.\n"
     "  --blend N                        the hmap/land slider, 0 to 10 (default 5)\n"
     "  --hide objects|checkpoints|ai    clear a Show check box; may be repeated\n"
     "  --zoom 1|2|4                     every cell drawn as a block of that size\n"
     "  --size N                         shrink the picture smoothly to fit N x N (1 to 4096);\n"
     "                                   a picture that fits keeps its size, none is enlarged.\n"
     "                                   The zoom comes first: --zoom 2 --size 800 draws\n"
     "                                   1024 x 1024 and shrinks it to 800 x 800, while\n"
     "                                   --size 800 alone keeps 512 x 512\n",
     command_render},
    {"export-land",
     "Usage: coursesmith-cli export-land TRACK OUT.bmp\n"
     "\n"
     "Writes the land map of TRACK as a 512 x 512 16-colour bitmap, as the panel's Export\n"
     "Land button does (OUT.bmp - : standard output).\n",
     command_export_land},
    {"export-heights",
     "Usage: coursesmith-cli export-heights TRACK OUT.bmp\n"
     "\n"
     "Writes the height grid of TRACK as a 64 x 64 256-colour bitmap, as the panel's Export\n"
     "HMap button does (OUT.bmp - : standard output).\n",
     command_export_heights},
    {"import-land",
     "Usage: coursesmith-cli import-land TRACK IN.bmp OUT.trk\n"
     "\n"
     "Loads TRACK, replaces its land map with the 512 x 512 16-colour bitmap IN.bmp, as the\n"
     "panel's Import Land button does, and writes the result to OUT.trk. Nothing is written\n"
     "when the bitmap is refused.\n",
     command_import_land},
    {"import-heights",
     "Usage: coursesmith-cli import-heights TRACK IN.bmp OUT.trk\n"
     "\n"
     "Loads TRACK, replaces its height grid with the 64 x 64 256-colour bitmap IN.bmp, as the\n"
     "panel's Import HMap button does, and writes the result to OUT.trk. Nothing is written\n"
     "when the bitmap is refused.\n",
     command_import_heights},
    {"import-lap",
     "Usage: coursesmith-cli import-lap TRACK LAPFILE OUT.trk\n"
     "\n"
     "Loads TRACK, replaces its AI line with the lap that the game recorded into the track\n"
     "file LAPFILE, as the panel's Import AI line button does, and writes the result to\n"
     "OUT.trk. Nothing is written when LAPFILE holds no lap.\n",
     command_import_lap},
    {"replay",
     "Usage: coursesmith-cli replay [--track IN.trk] SCRIPT [--save OUT.trk] [--png OUT.png]\n"
     "\n"
     "Runs a script of panel commands, mouse gestures and dialog answers against an editor\n"
     "set up as at start-up (with IN.trk as its command-line track), one line at a time;\n"
     "SCRIPT - reads standard input. What the script prints and every message box go to\n"
     "standard output. The language is described in docs/replay.md.\n"
     "  --save OUT.trk   write the track afterwards (- : standard output)\n"
     "  --png OUT.png    write the view afterwards (- : standard output)\n"
     "Exit status: 0 done, 2 a line that cannot be run or a file that cannot be read or\n"
     "written.\n",
     command_replay},
    {"diff",
     "Usage: coursesmith-cli diff [--png OUT.png] A B\n"
     "\n"
     "Compares track B with track A and lists what changed, one change a line: each property\n"
     "(old -> new), how many land cells and height samples changed and the rectangle they\n"
     "lie in, and the objects, pits, checkpoints and driving-line points added, removed,\n"
     "moved or turned, numbered from 1 (a removed element by its number in A, the others by\n"
     "their number in B). Elements equal at the start of both lists and at their end are the\n"
     "same elements; between them elements are paired in order, and those left over were\n"
     "removed or added. At most 20 changes of a list are shown, the rest counted.\n"
     "  --png OUT.png   draw B as render does, with the changes in magenta: changed land\n"
     "                  cells tinted and framed, changed height samples dotted and framed, a\n"
     "                  double circle around each changed element (where it was, for a\n"
     "                  removed one). OUT.png - : standard output, the list then goes to\n"
     "                  standard error\n"
     "Exit status: 0 the tracks are the same, 1 they differ, 2 a file cannot be read or\n"
     "written.\n",
     command_diff},
}};

// --help or -h among the options: the command's help, whatever else is given.
bool asks_for_help(const Arguments& args) {
    for (std::string_view a : args) {
        if (a == "--") {
            return false;
        }
        if (a == "--help" || a == "-h") {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return usage_error(nullptr, "no command given");
    }
    const std::string_view name = argv[1];
    const Arguments args(argv + 2, argv + argc);
    if (name == "--version") {
        print_text(stdout, "coursesmith-cli " COURSESMITH_VERSION "\n");
        return exit_ok;
    }
    if (name == "--help" || name == "-h" || name == "help") {
        // "help COMMAND" shows that command's help.
        for (const Command& command : commands) {
            if (name == "help" && args.size() == 1 && command.name == args[0]) {
                print_text(stdout, command.help);
                return exit_ok;
            }
        }
        print_text(stdout, usage_text);
        return exit_ok;
    }
    for (const Command& command : commands) {
        if (command.name == name) {
            if (asks_for_help(args)) {
                print_text(stdout, command.help);
                return exit_ok;
            }
            return command.run(command, args);
        }
    }
    return usage_error(nullptr, "unknown command: " + std::string(name));
}
