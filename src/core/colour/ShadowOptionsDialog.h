#pragma once
// The "Dropping Shadow Option" dialog's model: where the shadow sits (X and
// Y edits with spin buttons) and its colour, whose alpha sets its strength.

#include <string>
#include <string_view>

#include "colour/DropShadow.h"
#include "image/PixelColor.h"
#include "platform/UiServices.h"

namespace pictoform {

class CDSOPTDialog {
public:
    static constexpr const char* kTitle = "Dropping Shadow Option";
    // The spin buttons' range; a typed value outside it is taken as it is.
    static constexpr int kSpinMin = -10;
    static constexpr int kSpinMax = 10;
    static constexpr int kDefaultX = 2;
    static constexpr int kDefaultY = 2;
    static constexpr PixelColor kDefaultColour = ShadowSettings::kDefaultColour;

    // x is the second pass's x offset and y the first pass's y offset, as
    // ShadowSettings::OptionX and OptionY give them.
    CDSOPTDialog(UiServices& ui, int x, int y, const PixelColor& colour);

    [[nodiscard]] const std::string& XText() const { return m_xText; }
    [[nodiscard]] const std::string& YText() const { return m_yText; }
    void SetXText(std::string_view text) { m_xText = text; }
    void SetYText(std::string_view text) { m_yText = text; }
    // A spin click: the edit's value moved by delta within the spin's range.
    void StepX(int delta);
    void StepY(int delta);

    // What the swatch shows and OK hands back.
    [[nodiscard]] const PixelColor& Colour() const { return m_colour; }
    // The swatch button: "Edit color" on the colour; its OK replaces it.
    // True when it did (the swatch must repaint).
    bool ChooseColour();
    // "Default": 2, 2 and black at alpha 100.
    void Default();

    // What OK hands back: the edits read as decimal integers.
    [[nodiscard]] int X() const { return ReadOffset(m_xText); }
    [[nodiscard]] int Y() const { return ReadOffset(m_yText); }

    // Leading blanks, an optional sign, then the leading digits; 0 when there
    // are none. Values beyond an int stop at its limits instead of wrapping.
    [[nodiscard]] static int ReadOffset(std::string_view text);

private:
    UiServices& m_ui;
    std::string m_xText;
    std::string m_yText;
    PixelColor m_colour;
};

} // namespace pictoform
