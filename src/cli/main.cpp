// pictoform-cli: the icon file engine for scripts and for people without a screen.

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <malloc.h>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "Commands.h"
#include "icon/IconImageRec.h"

namespace {

const char* const kUsage =
    "Usage: pictoform-cli info FILE...\n"
    "       pictoform-cli convert IN... -o OUT [--depth D] [--hotspot X,Y] [--png SIZE|none]\n"
    "                     [--format ico|cur|ani|png|xcursor|pfi]\n"
    "       pictoform-cli convert PROGRAM --index N -o OUT\n"
    "       pictoform-cli convert PROGRAM --all -o FOLDER\n"
    "       pictoform-cli sysicons list | replace ITEM ICON[,INDEX] | restore ITEM | restore-all\n"
    "       pictoform-cli theme IN -o OUT [--sizes N,N...]\n"
    "       pictoform-cli thumbnail [--size N] IN OUT.png\n"
    "\n"
    "Reads and writes Windows icons (.ico), cursors (.cur), animated cursors (.ani),\n"
    "Xcursor files and PNG pictures, and reads the icons inside programs (.exe,\n"
    ".dll, .icl).\n"
    "\n"
    "Commands:\n"
    "  info FILE...     one line per image (index, size, depth, hot spot of a cursor,\n"
    "                   display time of an animated cursor's frame), or per icon\n"
    "                   group of a program, and a summary line per file\n"
    "  convert IN... -o OUT\n"
    "                   IN: .ico, .cur, .ani, .png or .pfi files, or programs; their\n"
    "                   images are taken in order (a project's formats composed).\n"
    "                   OUT ending in .ico or .cur: one file holding every image;\n"
    "                   OUT ending in .ani: one frame per image;\n"
    "                   OUT ending in .png: one PNG per image, OUT-<index>-<w>x<h>.png;\n"
    "                   OUT ending in .pfi: a Pictoform project, one format of one\n"
    "                   layer per image.\n"
    "  sysicons ...     the desktop objects' icons (computer, network, trash empty\n"
    "                   and full, documents) as System > Replace Sys Icons shows\n"
    "                   them: list them, replace one with an icon file (or a\n"
    "                   program's icon group by index) in the desktop's icon theme,\n"
    "                   restore one or all to the icons they had first\n"
    "  theme IN -o OUT  IN a folder of Windows cursors, named by its install.inf or\n"
    "                   by their roles (pointer.cur, busy.ani, ...): OUT becomes an\n"
    "                   Xcursor theme for X11 and Wayland desktops (index.theme,\n"
    "                   cursors/ with every name programs ask for); IN an Xcursor\n"
    "                   theme: OUT becomes Windows cursors with an install.inf.\n"
    "                   OUT must be new or empty\n"
    "  thumbnail IN OUT.png\n"
    "                   the picture a file manager shows for IN: of an icon, cursor\n"
    "                   or Xcursor file the image nearest the size at or above it,\n"
    "                   of an animated cursor its first frame, of a program its\n"
    "                   first icon group's; scaled down to fit the size, never up\n"
    "\n"
    "Options of convert:\n"
    "  --depth D        write every image at depth D: 2, 4, 16 or 256 colours, or 24 or\n"
    "                   32 bits (32 keeps alpha). Default: 32 for PNG input, otherwise\n"
    "                   each image's own depth\n"
    "  --hotspot X,Y    hot spot of every image of a .cur or .ani output (default:\n"
    "                   each input cursor image's own, or 0,0)\n"
    "  --png SIZE       store the 32-bit images of at least SIZE pixels a side\n"
    "                   PNG-compressed, the others as bitmaps; --png none: none.\n"
    "                   Default: each image as its input stored it; a PNG file's\n"
    "                   picture as a bitmap\n"
    "  --format KIND    write OUT as ico, cur, ani, png, xcursor or pfi whatever its\n"
    "                   name (Xcursor files, which X11 and Wayland desktops load\n"
    "                   cursors from, have no name ending by custom)\n"
    "  --index N        the icon group of a program to take (0 is the first; see info);\n"
    "                   needed when the program holds more than one\n"
    "  --all            every icon group of one program, each into FOLDER as\n"
    "                   <program>-<index>-<group>.ico; without --depth or --png,\n"
    "                   each image is copied as the program holds it\n"
    "\n"
    "Options of theme:\n"
    "  --sizes N,N...   make every cursor at these nominal sizes (for example\n"
    "                   24,32,48,64 for high-resolution screens) from its best\n"
    "                   image, hot spots scaled. Default: the images as they are\n"
    "\n"
    "Options of thumbnail:\n"
    "  --size N         the longest side of the thumbnail, 1 to 1024 (default 128)\n"
    "\n"
    "  --               every argument after it is a file, even one starting with '-'\n"
    "  --help           show this text (also after a command)\n"
    "  --version        show the version\n"
    "\n"
    "Exit status: 0 on success, 1 on any error (one line on standard error).\n";

int UsageError(const std::string& message) {
    std::cerr << "pictoform-cli: " << message << " (see 'pictoform-cli --help')\n";
    return 1;
}

bool ParseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

// What no option of a command took joins its positional arguments, and
// then the files named after "--"; the first unknown option is returned, to
// be refused.
std::string TakeExtras(const CLI::App& command, std::vector<std::string>& positional,
                       const std::vector<std::string>& filesAfterDashes) {
    for (const std::string& extra : command.remaining()) {
        if (extra.size() > 1 && extra[0] == '-') return extra;
        positional.push_back(extra);
    }
    positional.insert(positional.end(), filesAfterDashes.begin(), filesAfterDashes.end());
    return {};
}

// An option's value as given; empty when the option was last and had none.
struct Given {
    std::string value;
    bool present = false;
};

int Convert(const pictoform::cli::ConvertOptions& parsed, const Given& depthArg,
            const Given& hotSpotArg, const Given& indexArg, const Given& pngArg,
            const Given& outputArg) {
    pictoform::cli::ConvertOptions options = parsed;
    if (outputArg.present) {
        if (outputArg.value.empty()) return UsageError("-o needs a file name");
        options.output = outputArg.value;
    }
    if (depthArg.present) {
        int depth = 0;
        if (!ParseInt(depthArg.value, depth) || (depth != 2 && depth != 4 && depth != 16 &&
                                                 depth != 256 && depth != 24 && depth != 32)) {
            return UsageError("--depth takes 2, 4, 16, 256, 24 or 32");
        }
        options.depth = depth;
    }
    if (hotSpotArg.present) {
        const std::string& value = hotSpotArg.value;
        const size_t comma = value.find(',');
        int x = 0, y = 0;
        if (comma == std::string::npos || !ParseInt(value.substr(0, comma), x) ||
            !ParseInt(value.substr(comma + 1), y) || x < 0 || y < 0 || x > 65535 || y > 65535) {
            return UsageError("--hotspot takes X,Y with whole numbers from 0 to 65535");
        }
        options.hotSpot = std::make_pair(x, y);
    }
    if (indexArg.present) {
        int index = -1;
        if (!ParseInt(indexArg.value, index) || index < 0) {
            return UsageError("--index takes a group number from 0");
        }
        options.index = index;
    }
    if (pngArg.present) {
        int side = 0;
        if (pngArg.value == "none") {
            options.pngFrom = pictoform::kMaxPngSide + 1;
        } else if (ParseInt(pngArg.value, side) && side >= 1 && side <= pictoform::kMaxPngSide) {
            options.pngFrom = side;
        } else {
            return UsageError("--png takes a size from 1 to 1024, or none");
        }
    }
    if (options.inputs.empty()) return UsageError("convert needs at least one input file");
    if (options.output.empty()) return UsageError("convert needs -o OUT");
    if (options.all && options.index) return UsageError("--all and --index exclude each other");

    return pictoform::cli::RunConvert(options, std::cout, std::cerr);
}

int RunCommand(int argc, char** argv);

} // namespace

int main(int argc, char** argv) {
    // A machine with less memory than the limits allow for says so in words.
    try {
        return RunCommand(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cerr << "pictoform-cli: there is not enough memory to do this\n";
        return 1;
    }
}

namespace {

int RunCommand(int argc, char** argv) {
    // A run is short and handles a few buffers of up to a few hundred KB
    // each; keeping them on the heap instead of fresh mappings spares the
    // page faults that otherwise cost more than the decoding itself.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
    if (argc < 2) {
        std::cerr << kUsage;
        return 1;
    }
    const std::string first = argv[1];
    // After "--" every argument is a file, even one whose name starts with
    // '-'; only what comes before it is parsed for options.
    int optionArgc = argc;
    std::vector<std::string> filesAfterDashes;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--") {
            optionArgc = i;
            filesAfterDashes.assign(argv + i + 1, argv + argc);
            break;
        }
    }
    // The usage is this program's own text, not one made up from the
    // options; "--help" after a command asks for it too.
    if (first == "help" || std::any_of(argv + 1, argv + optionArgc, [](const char* arg) {
            return std::string_view(arg) == "--help" || std::string_view(arg) == "-h";
        })) {
        std::cout << kUsage;
        return 0;
    }
    if (first == "--version") {
        std::cout << "pictoform-cli " << PICTOFORM_VERSION << "\n";
        return 0;
    }

    CLI::App app{"pictoform-cli"};
    app.set_help_flag();
    // What no command or option takes is reported in this program's words below.
    app.allow_extras();
    std::vector<std::string> infoFiles;
    CLI::App* info = app.add_subcommand("info");
    info->add_option("FILE", infoFiles);

    pictoform::cli::ConvertOptions options;
    Given output, depth, hotSpot, index, png;
    CLI::App* convert = app.add_subcommand("convert");
    convert->allow_extras();
    convert->add_option("IN", options.inputs);
    // Every value is checked by hand after parsing, so that each mistake is
    // told in one line of the program's words; a missing value is empty.
    std::vector<std::pair<CLI::Option*, Given*>> givens;
    const auto given = [&](const std::string& names, Given& into) {
        givens.emplace_back(convert->add_option(names, into.value)->expected(0, 1), &into);
    };
    given("-o,--output", output);
    given("--depth", depth);
    given("--hotspot", hotSpot);
    given("--index", index);
    given("--png", png);
    Given format;
    given("--format", format);
    convert->add_flag("--all", options.all);

    std::vector<std::string> sysArgs;
    CLI::App* sysicons = app.add_subcommand("sysicons");
    sysicons->allow_extras();
    sysicons->add_option("ARGS", sysArgs);

    std::vector<std::string> themeArgs;
    Given themeOutput, themeSizes;
    CLI::App* theme = app.add_subcommand("theme");
    theme->allow_extras();
    theme->add_option("IN", themeArgs);
    std::vector<std::pair<CLI::Option*, Given*>> themeGivens = {
        {theme->add_option("-o,--output", themeOutput.value)->expected(0, 1), &themeOutput},
        {theme->add_option("--sizes", themeSizes.value)->expected(0, 1), &themeSizes}};

    std::vector<std::string> thumbArgs;
    Given thumbSize;
    CLI::App* thumbnail = app.add_subcommand("thumbnail");
    thumbnail->allow_extras();
    thumbnail->add_option("FILES", thumbArgs);
    CLI::Option* thumbSizeOption =
        thumbnail->add_option("-s,--size", thumbSize.value)->expected(0, 1);

    try {
        app.parse(optionArgc, argv);
    } catch (const CLI::ParseError& e) {
        return UsageError(e.what());
    }
    if (info->parsed()) {
        if (const std::string unknown = TakeExtras(*info, infoFiles, filesAfterDashes);
            !unknown.empty()) {
            return UsageError("unknown option '" + unknown + "'");
        }
        if (infoFiles.empty()) return UsageError("info needs at least one file");
        return pictoform::cli::RunInfo(infoFiles, std::cout, std::cerr);
    }
    if (convert->parsed()) {
        for (auto& [option, into] : givens) into->present = option->count() > 0;
        if (const std::string unknown = TakeExtras(*convert, options.inputs, filesAfterDashes);
            !unknown.empty()) {
            return UsageError("unknown option '" + unknown + "'");
        }
        if (format.present) {
            if (format.value != "ico" && format.value != "cur" && format.value != "ani" &&
                format.value != "png" && format.value != "xcursor" && format.value != "pfi") {
                return UsageError("--format takes ico, cur, ani, png, xcursor or pfi");
            }
            options.format = format.value;
        }
        return Convert(options, depth, hotSpot, index, png, output);
    }
    if (sysicons->parsed()) {
        std::vector<std::string> all = sysArgs;
        for (const std::string& extra : sysicons->remaining()) all.push_back(extra);
        all.insert(all.end(), filesAfterDashes.begin(), filesAfterDashes.end());
        std::error_code ec;
        const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
        return pictoform::cli::RunSysIcons(all, self.parent_path().string(), std::cout, std::cerr);
    }
    if (theme->parsed()) {
        for (auto& [option, into] : themeGivens) into->present = option->count() > 0;
        if (const std::string unknown = TakeExtras(*theme, themeArgs, filesAfterDashes);
            !unknown.empty()) {
            return UsageError("unknown option '" + unknown + "'");
        }
        std::vector<int> sizes;
        if (themeSizes.present) {
            std::string list = themeSizes.value + ",";
            for (size_t at = 0, comma; (comma = list.find(',', at)) != std::string::npos;
                 at = comma + 1) {
                int side = 0;
                if (!ParseInt(list.substr(at, comma - at), side) || side < 1 || side > 256) {
                    return UsageError("--sizes takes sizes from 1 to 256, such as 24,32,48");
                }
                // Two images of one size would be taken for animation frames.
                if (std::find(sizes.begin(), sizes.end(), side) == sizes.end()) {
                    sizes.push_back(side);
                }
            }
        }
        if (themeArgs.size() != 1) return UsageError("theme needs one input folder");
        if (!themeOutput.present || themeOutput.value.empty()) {
            return UsageError("theme needs -o OUT");
        }
        return pictoform::cli::RunTheme(themeArgs.front(), themeOutput.value, sizes, std::cout,
                                        std::cerr);
    }
    if (thumbnail->parsed()) {
        if (const std::string unknown = TakeExtras(*thumbnail, thumbArgs, filesAfterDashes);
            !unknown.empty()) {
            return UsageError("unknown option '" + unknown + "'");
        }
        int size = 128;
        if (thumbSizeOption->count() > 0 &&
            (!ParseInt(thumbSize.value, size) || size < 1 || size > 1024)) {
            return UsageError("--size takes a size from 1 to 1024");
        }
        if (thumbArgs.size() != 2) return UsageError("thumbnail needs IN and OUT.png");
        return pictoform::cli::RunThumbnail(thumbArgs[0], thumbArgs[1], size, std::cerr);
    }
    return UsageError("unknown command '" + first + "'");
}

} // namespace
