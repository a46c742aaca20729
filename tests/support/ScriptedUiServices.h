#pragma once
// UiServices for tests: every question is answered from a queue the test
// filled beforehand, and every question is recorded, so a test can check
// both what the user was asked and what followed from the answer.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/UiServices.h"

namespace pictoform::test {

class ScriptedUiServices : public UiServices {
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageIcon icon = MessageIcon::None;
        MessageButtons buttons = MessageButtons::Ok;
        MessageAnswer answer = MessageAnswer::Ok;
    };

    // Answers for the next message boxes, in order. A box with only an OK
    // button needs none. A box that finds the queue empty fails the test and
    // gets the cautious answer (No, or Cancel).
    void QueueAnswer(MessageAnswer answer) { m_answers.push_back(answer); }
    // Results of the next "Edit color" dialogs; nullopt is Cancel. An empty
    // queue fails the test and cancels.
    void QueueEditColor(std::optional<PixelColor> result) { m_colours.push_back(result); }

    const std::vector<Message>& Messages() const { return m_messages; }
    // The colours the "Edit color" dialog was opened with, in order.
    const std::vector<PixelColor>& EditColorRequests() const { return m_editRequests; }
    // Whether a message with exactly this text and caption was shown.
    bool WasAsked(const std::string& text, const std::string& caption) const;
    size_t UnusedAnswers() const { return m_answers.size() + m_colours.size(); }

    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override;
    std::optional<PixelColor> EditColor(const PixelColor& colour) override;

private:
    std::deque<MessageAnswer> m_answers;
    std::deque<std::optional<PixelColor>> m_colours;
    std::vector<Message> m_messages;
    std::vector<PixelColor> m_editRequests;
};

} // namespace pictoform::test
