#pragma once

#include "sysicons/DesktopShell.h"

namespace pictoform {

// The freedesktop shell with what needs Qt: SVG theme icons (where an SVG
// image plugin is installed) and opening documents and addresses.
class QtShell : public DesktopShell {
public:
    using DesktopShell::DesktopShell;

    [[nodiscard]] bool Open(const std::string& target) override;

protected:
    [[nodiscard]] std::optional<ShellIcon>
    ExtractVectorIcon(const std::string& path) const override;
};

} // namespace pictoform
