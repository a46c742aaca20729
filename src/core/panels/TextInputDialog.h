#pragma once
// The "Add Text" dialog's model: the text to place and the font it is drawn
// in. The font belongs to the whole run; the "Font" button changes it for
// every later text as well.

#include <string>
#include <utility>

#include "platform/TextRasterizer.h"
#include "platform/UiServices.h"

namespace pictoform {

class CTextInputDialog {
public:
    static constexpr const char* kTitle = "Add Text";
    static constexpr const char* kFontButton = "Font";

    // Both must outlive the model; processFont is the run's text font.
    CTextInputDialog(UiServices& ui, FontDescription& processFont)
        : m_ui(ui), m_font(processFont) {}

    // The multi-line edit's text, line breaks included.
    [[nodiscard]] const std::string& Text() const { return m_text; }
    void SetText(std::string text) { m_text = std::move(text); }

    // The font the edit shows and the text is drawn in.
    [[nodiscard]] const FontDescription& Font() const { return m_font; }
    // "Font": the font dialog on the current font; its OK replaces the run's
    // font. True when it did (the edit then shows the new font).
    bool ChooseFont();

private:
    UiServices& m_ui;
    FontDescription& m_font;
    std::string m_text;
};

} // namespace pictoform
