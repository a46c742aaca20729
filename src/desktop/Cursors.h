#pragma once

#include <QCursor>

#include <array>

#include "editor/ViewMouse.h"

namespace pictoform {

// The mouse cursors the canvas shows for the view's cursors. The tool cursors
// are drawn here, each with its hot spot where the tool acts. Built once per
// canvas (not for every mouse move) and gone with it, before the application.
class CursorSet {
public:
    CursorSet();
    [[nodiscard]] const QCursor& For(ViewCursor cursor) const;

private:
    std::array<QCursor, 8> m_cursors;
};

} // namespace pictoform
