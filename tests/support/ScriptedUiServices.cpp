#include "support/ScriptedUiServices.h"

#include <gtest/gtest.h>

namespace pictoform::test {

bool ScriptedUiServices::WasAsked(const std::string& text, const std::string& caption) const {
    for (const Message& m : m_messages) {
        if (m.text == text && m.caption == caption) return true;
    }
    return false;
}

MessageAnswer ScriptedUiServices::ShowMessage(const std::string& text, const std::string& caption,
                                              MessageIcon icon, MessageButtons buttons) {
    MessageAnswer answer = MessageAnswer::Ok;
    if (buttons != MessageButtons::Ok) {
        if (m_answers.empty()) {
            ADD_FAILURE() << "unexpected message box \"" << text << "\" (" << caption << ")";
            answer = buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Cancel;
        } else {
            answer = m_answers.front();
            m_answers.pop_front();
        }
    }
    m_messages.push_back({text, caption, icon, buttons, answer});
    return answer;
}

std::optional<PixelColor> ScriptedUiServices::EditColor(const PixelColor& colour) {
    m_editRequests.push_back(colour);
    if (m_colours.empty()) {
        ADD_FAILURE() << "unexpected \"Edit color\" dialog";
        return std::nullopt;
    }
    std::optional<PixelColor> result = m_colours.front();
    m_colours.pop_front();
    return result;
}

} // namespace pictoform::test
