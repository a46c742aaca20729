// pictoform-cli sysicons: the system icon set of the editor's "Change System
// Icons" dialog, for scripts: the same items, registry and icon theme layer.

#include <cctype>
#include <charconv>
#include <filesystem>
#include <iostream>

#include "Commands.h"
#include "editor/ProgramPaths.h"
#include "platform/SilentUiServices.h"
#include "sysicons/DesktopShell.h"
#include "sysicons/FileRegistry.h"
#include "sysicons/IconThemeSeed.h"
#include "sysicons/SysIconSet.h"

namespace pictoform::cli {

namespace {

// Nobody to ask: messages go to standard error, questions get the cautious answer.
class StreamUiServices final : public SilentUiServices {
public:
    explicit StreamUiServices(std::ostream& err) : m_err(err) {}
    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override {
        m_err << "pictoform-cli: " << text << "\n";
        return SilentUiServices::ShowMessage(text, caption, icon, buttons);
    }

private:
    std::ostream& m_err;
};

// The item named (its name in any case, or its number in the list).
std::optional<size_t> FindItem(const CSysIconSet& set, const std::string& name) {
    const std::vector<SysIconItem>& items = set.Items();
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].name.size() != name.size()) continue;
        bool same = true;
        for (size_t k = 0; k < name.size() && same; ++k) {
            same = std::tolower(static_cast<unsigned char>(items[i].name[k])) ==
                   std::tolower(static_cast<unsigned char>(name[k]));
        }
        if (same) return i;
    }
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos &&
        name.size() < 4 && std::stoul(name) < items.size()) {
        return std::stoul(name);
    }
    return std::nullopt;
}

} // namespace

int RunSysIcons(const std::vector<std::string>& args, const std::string& programDir,
                std::ostream& out, std::ostream& err) {
    const std::string verb = args.empty() ? std::string() : args.front();
    const size_t wanted = verb == "list" || verb == "restore-all" ? 1 : verb == "restore" ? 2 : 3;
    if ((verb != "list" && verb != "replace" && verb != "restore" && verb != "restore-all") ||
        args.size() != wanted) {
        err << "pictoform-cli: sysicons takes list, replace ITEM ICON[,INDEX], restore ITEM or "
               "restore-all (see 'pictoform-cli --help')\n";
        return 1;
    }
    const EnvironmentLookup env = ProcessEnvironment();
    StreamUiServices ui(err);
    DesktopShell shell(env);
    FileRegistry registry(FileRegistry::DefaultPath(env), ui,
                          [&](Registry& r) { SeedFromDesktopTheme(r, env, shell.IsTrashEmpty()); });
    const ProgramPaths paths(programDir);
    CSysIconSet set(std::filesystem::path(paths.SystemIconFile()).parent_path().string(), registry,
                    shell, ui);
    // As the dialog does on opening: what the objects show now is what
    // Restore goes back to.
    (void)set.BackupAll();

    if (verb == "list") {
        for (size_t i = 0; i < set.Items().size(); ++i) {
            const SysIconItem& item = set.Items()[i];
            const std::optional<std::string> now =
                item.entries.empty()
                    ? std::nullopt
                    : registry.ReadString(item.entries[0].root, item.entries[0].keyPath,
                                          item.entries[0].valueName);
            out << i << "  " << item.name << "  " << now.value_or("(none)") << "\n";
        }
        return 0;
    }
    if (verb == "restore-all") {
        set.RestoreAll();
        return 0;
    }
    const std::optional<size_t> item = FindItem(set, args[1]);
    if (!item) {
        err << "pictoform-cli: no system icon item '" << args[1] << "' (see 'sysicons list')\n";
        return 1;
    }
    if (verb == "restore") {
        set.RestoreItem(set.Items()[*item]);
        set.RefreshRecycleBin();
        return 0;
    }
    // ICON or ICON,INDEX, made absolute so that the desktop finds it from anywhere.
    std::string path = args[2];
    int index = 0;
    const size_t comma = path.rfind(',');
    if (comma != std::string::npos && comma + 1 < path.size() &&
        path.find_first_not_of("-0123456789", comma + 1) == std::string::npos) {
        // A lone '-', a stray sign or an index past int's range is a typing
        // slip, not an icon: say so rather than guess an index.
        const char* first = path.data() + comma + 1;
        const char* last = path.data() + path.size();
        const auto [end, ec] = std::from_chars(first, last, index);
        if (ec != std::errc() || end != last) {
            err << "pictoform-cli: '" << std::string(first, last)
                << "' is not an icon index (ICON,INDEX takes a whole number)\n";
            return 1;
        }
        path.resize(comma);
    }
    std::error_code ec;
    path = std::filesystem::absolute(path, ec).lexically_normal().string();
    if (!shell.ExtractIcon(path, index)) {
        err << "pictoform-cli: cannot read an icon from " << path << " (index " << index << ")\n";
        return 1;
    }
    if (!set.ReplaceItem(*item, path + "," + std::to_string(index))) return 1;
    if (!shell.ThemeError().empty()) {
        err << "pictoform-cli: the new icon is kept, but the desktop will not show it: "
            << shell.ThemeError() << "\n";
        return 1;
    }
    return 0;
}

} // namespace pictoform::cli
