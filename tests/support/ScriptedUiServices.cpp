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
            answer = buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoDefaultNo
                         ? MessageAnswer::No
                         : MessageAnswer::Cancel;
        } else {
            answer = m_answers.front();
            m_answers.pop_front();
        }
    }
    m_messages.push_back({text, caption, icon, buttons, answer});
    return answer;
}

template <typename Request, typename Result>
std::optional<Result> DialogScript<Request, Result>::Take(const Request& request) {
    m_requests.push_back(request);
    if (m_results.empty()) {
        ADD_FAILURE() << "unexpected \"" << m_title << "\" dialog";
        return std::nullopt;
    }
    std::optional<Result> result = std::move(m_results.front());
    m_results.pop_front();
    return result;
}

template class DialogScript<PixelColor, PixelColor>;
template class DialogScript<std::string, std::string>;
template class DialogScript<FileDialogRequest, std::string>;
template class DialogScript<std::string, int>;
template class DialogScript<FontDescription, FontDescription>;

} // namespace pictoform::test
