#pragma once
// What the core asks of the user in the middle of an operation: questions,
// warnings and the small modal dialogs. The desktop answers with real
// windows; tests answer from a script, so nothing here may block on a screen.

#include <optional>
#include <string>

#include "image/PixelColor.h"

namespace pictoform {

enum class MessageIcon { None, Information, Question, Exclamation, Error };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class UiServices {
public:
    virtual ~UiServices() = default;

    // A modal message box; the answer is one of the buttons offered.
    virtual MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                                      MessageIcon icon, MessageButtons buttons) = 0;

    // The "Edit color" dialog opened on a colour with alpha: the edited colour
    // after OK, nothing after Cancel.
    virtual std::optional<PixelColor> EditColor(const PixelColor& colour) = 0;

protected:
    UiServices() = default;
    UiServices(const UiServices&) = default;
    UiServices& operator=(const UiServices&) = default;
};

} // namespace pictoform
