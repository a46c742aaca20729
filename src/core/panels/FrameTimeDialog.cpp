#include "panels/FrameTimeDialog.h"

#include <algorithm>

namespace pictoform {

void CFrameTimeDialog::SetJiffies(int jiffies) {
    m_jiffies = std::clamp(jiffies, kMinJiffies, kMaxJiffies);
}

std::string CFrameTimeDialog::Milliseconds() const {
    return "= " + std::to_string((m_jiffies * 1000 + 30) / 60) + " ms";
}

} // namespace pictoform
