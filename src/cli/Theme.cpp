// pictoform-cli theme: Windows cursor sets to Xcursor themes and back.

#include <iostream>

#include "Commands.h"
#include "sysicons/CursorTheme.h"

namespace pictoform::cli {

int RunTheme(const std::string& input, const std::string& output, const std::vector<int>& sizes,
             std::ostream& out, std::ostream& err) {
    std::vector<std::string> done;
    std::string reason;
    const bool toWindows = IsXcursorTheme(input);
    if (toWindows && !sizes.empty()) {
        err << "pictoform-cli: --sizes makes an Xcursor theme; '" << input
            << "' is one already (see 'pictoform-cli --help')\n";
        return 1;
    }
    bool ok = false;
    if (toWindows) {
        ok = MakeWindowsCursorSet(input, output, done, reason);
    } else {
        CursorSet set;
        ok = ReadWindowsCursorSet(input, set, reason) &&
             MakeXcursorTheme(set, output, sizes, false, done, reason);
    }
    if (!ok) {
        err << "pictoform-cli: cannot make a cursor theme of '" << input << "': " << reason << "\n";
        return 1;
    }
    for (const std::string& line : done) out << line << "\n";
    out << output << ": "
        << (toWindows ? "Windows cursors with an install.inf, " : "cursor theme, ") << done.size()
        << (done.size() == 1 ? " cursor" : " cursors") << "\n";
    return 0;
}

} // namespace pictoform::cli
