#include "panels/TextInputDialog.h"

namespace pictoform {

bool CTextInputDialog::ChooseFont() {
    const std::optional<FontDescription> chosen = m_ui.ChooseFont(m_font);
    if (!chosen) return false;
    m_font = *chosen;
    return true;
}

} // namespace pictoform
