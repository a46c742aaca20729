// pictoform-cli: the icon file engine for scripts and for people without a screen.

#include <charconv>
#include <filesystem>
#include <iostream>
#include <malloc.h>
#include <string>
#include <vector>

#include "Commands.h"
#include "icon/IconImageRec.h"

namespace {

const char* const kUsage =
    "Usage: pictoform-cli info FILE...\n"
    "       pictoform-cli convert IN... -o OUT [--depth D] [--hotspot X,Y] [--png SIZE|none]\n"
    "       pictoform-cli convert PROGRAM --index N -o OUT\n"
    "       pictoform-cli convert PROGRAM --all -o FOLDER\n"
    "       pictoform-cli sysicons list | replace ITEM ICON[,INDEX] | restore ITEM | restore-all\n"
    "\n"
    "Reads and writes Windows icons (.ico), cursors (.cur), animated cursors (.ani)\n"
    "and PNG pictures, and reads the icons inside programs (.exe, .dll, .icl).\n"
    "\n"
    "Commands:\n"
    "  info FILE...     one line per image (index, size, depth, hot spot of a cursor,\n"
    "                   display time of an animated cursor's frame), or per icon\n"
    "                   group of a program, and a summary line per file\n"
    "  convert IN... -o OUT\n"
    "                   IN: .ico, .cur, .ani or .png files, or programs; their images\n"
    "                   are taken in order.\n"
    "                   OUT ending in .ico or .cur: one file holding every image;\n"
    "                   OUT ending in .ani: one frame per image;\n"
    "                   OUT ending in .png: one PNG per image, OUT-<index>-<w>x<h>.png.\n"
    "  sysicons ...     the desktop objects' icons (computer, network, trash empty\n"
    "                   and full, documents) as System > Replace Sys Icons shows\n"
    "                   them: list them, replace one with an icon file (or a\n"
    "                   program's icon group by index) in the desktop's icon theme,\n"
    "                   restore one or all to the icons they had first\n"
    "\n"
    "Options of convert:\n"
    "  --depth D        write every image at depth D: 2, 4, 16 or 256 colours, or 24 or\n"
    "                   32 bits (32 keeps alpha). Default: 32 for PNG input, otherwise\n"
    "                   each image's own depth\n"
    "  --hotspot X,Y    hot spot of every image of a .cur or .ani output (default:\n"
    "                   each input cursor image's own, or 0,0)\n"
    "  --png SIZE       store the 32-bit images of at least SIZE pixels a side\n"
    "                   PNG-compressed, the others as bitmaps; --png none: none.\n"
    "                   Default: each image as its input stored it\n"
    "  --index N        the icon group of a program to take (0 is the first; see info);\n"
    "                   needed when the program holds more than one\n"
    "  --all            every icon group of one program, each into FOLDER as\n"
    "                   <program>-<index>-<group>.ico\n"
    "\n"
    "  --help           show this text\n"
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

int Convert(const std::vector<std::string>& args) {
    pictoform::cli::ConvertOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "-o" || a == "--output") {
            if (!hasValue) return UsageError(a + " needs a file name");
            options.output = args[++i];
        } else if (a == "--depth") {
            int depth = 0;
            if (!hasValue || !ParseInt(args[i + 1], depth) ||
                (depth != 2 && depth != 4 && depth != 16 && depth != 256 && depth != 24 &&
                 depth != 32)) {
                return UsageError("--depth takes 2, 4, 16, 256, 24 or 32");
            }
            options.depth = depth;
            ++i;
        } else if (a == "--hotspot") {
            const std::string value = hasValue ? args[i + 1] : "";
            const size_t comma = value.find(',');
            int x = 0, y = 0;
            if (comma == std::string::npos || !ParseInt(value.substr(0, comma), x) ||
                !ParseInt(value.substr(comma + 1), y) || x < 0 || y < 0 || x > 65535 || y > 65535) {
                return UsageError("--hotspot takes X,Y with whole numbers from 0 to 65535");
            }
            options.hotSpot = std::make_pair(x, y);
            ++i;
        } else if (a == "--index") {
            int index = -1;
            if (!hasValue || !ParseInt(args[i + 1], index) || index < 0) {
                return UsageError("--index takes a group number from 0");
            }
            options.index = index;
            ++i;
        } else if (a == "--all") {
            options.all = true;
        } else if (a == "--png") {
            int side = 0;
            if (hasValue && args[i + 1] == "none") {
                options.pngFrom = pictoform::kMaxPngSide + 1;
            } else if (hasValue && ParseInt(args[i + 1], side) && side >= 1 &&
                       side <= pictoform::kMaxPngSide) {
                options.pngFrom = side;
            } else {
                return UsageError("--png takes a size from 1 to 1024, or none");
            }
            ++i;
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError("unknown option '" + a + "'");
        } else {
            options.inputs.push_back(a);
        }
    }
    if (options.inputs.empty()) return UsageError("convert needs at least one input file");
    if (options.output.empty()) return UsageError("convert needs -o OUT");
    if (options.all && options.index) return UsageError("--all and --index exclude each other");
    return pictoform::cli::RunConvert(options, std::cout, std::cerr);
}

} // namespace

int main(int argc, char** argv) {
    // A run is short and handles a few buffers of up to a few hundred KB
    // each; keeping them on the heap instead of fresh mappings spares the
    // page faults that otherwise cost more than the decoding itself.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << kUsage;
        return 1;
    }
    const std::string command = args.front();
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return 0;
    }
    if (command == "--version") {
        std::cout << "pictoform-cli " << PICTOFORM_VERSION << "\n";
        return 0;
    }
    if (command == "info") {
        if (args.empty()) return UsageError("info needs at least one file");
        return pictoform::cli::RunInfo(args, std::cout, std::cerr);
    }
    if (command == "convert") return Convert(args);
    if (command == "sysicons") {
        std::error_code ec;
        const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
        return pictoform::cli::RunSysIcons(args, self.parent_path().string(), std::cout, std::cerr);
    }
    return UsageError("unknown command '" + command + "'");
}
