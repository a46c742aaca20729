#pragma once
// The commands of pictoform-cli. Each returns the process's exit status and
// writes its one-line error to `err`.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace pictoform::cli {

struct ConvertOptions {
    std::vector<std::string> inputs;
    std::string output;
    std::optional<int> depth;
    std::optional<std::pair<int, int>> hotSpot;
    // Which 32-bit images to store PNG-compressed: those at least this many
    // pixels a side; none with a value above 1024; without a value, each
    // image as its input stored it.
    std::optional<int> pngFrom;
    // Which icon group of a program input to take; all of them into a folder.
    std::optional<int> index;
    bool all = false;
    // The output's kind when its name does not say it: ico, cur, ani, png or xcursor.
    std::optional<std::string> format;
};

int RunInfo(const std::vector<std::string>& files, std::ostream& out, std::ostream& err);
int RunConvert(const ConvertOptions& options, std::ostream& out, std::ostream& err);
// list | replace ITEM ICON[,INDEX] | restore ITEM | restore-all; programDir
// places the item list as the editor's own.
int RunSysIcons(const std::vector<std::string>& args, const std::string& programDir,
                std::ostream& out, std::ostream& err);

// A folder of Windows cursors (install.inf or role names) into an Xcursor
// theme at `output`, at the given nominal sizes or as the images are; an
// Xcursor theme into Windows cursors with an install.inf.
int RunTheme(const std::string& input, const std::string& output, const std::vector<int>& sizes,
             std::ostream& out, std::ostream& err);

// The thumbnail of an icon, cursor, animated cursor, Xcursor file or
// program as a PNG picture at most `size` pixels a side.
int RunThumbnail(const std::string& input, const std::string& output, int size, std::ostream& err);

} // namespace pictoform::cli
