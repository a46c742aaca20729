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

// The answers a test queued for one dialog and what the dialog was opened
// with. A dialog that finds no answer fails the test and is cancelled.
template <typename Request, typename Result> class DialogScript {
public:
    explicit DialogScript(const char* title) : m_title(title) {}
    void Queue(std::optional<Result> result) { m_results.push_back(std::move(result)); }
    [[nodiscard]] const std::vector<Request>& Requests() const { return m_requests; }
    [[nodiscard]] size_t Unused() const { return m_results.size(); }
    std::optional<Result> Take(const Request& request);

private:
    const char* m_title;
    std::deque<std::optional<Result>> m_results;
    std::vector<Request> m_requests;
};

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
    // Results of the next dialogs of each kind; nullopt is Cancel.
    void QueueEditColor(std::optional<PixelColor> result) { editColor.Queue(result); }
    void QueueFileName(std::optional<std::string> result) { fileName.Queue(std::move(result)); }
    void QueueFile(std::optional<std::string> path) { files.Queue(std::move(path)); }
    void QueueModuleIcon(std::optional<int> index) { moduleIcons.Queue(index); }
    void QueueFont(std::optional<FontDescription> font) { fonts.Queue(std::move(font)); }

    const std::vector<Message>& Messages() const { return m_messages; }
    // The colours the "Edit color" dialog was opened with, in order.
    const std::vector<PixelColor>& EditColorRequests() const { return editColor.Requests(); }
    // The names the "Enter File Name" dialog proposed, in order.
    const std::vector<std::string>& FileNameRequests() const { return fileName.Requests(); }
    // Whether a message with exactly this text and caption was shown.
    bool WasAsked(const std::string& text, const std::string& caption) const;
    size_t UnusedAnswers() const {
        return m_answers.size() + editColor.Unused() + fileName.Unused() + files.Unused() +
               moduleIcons.Unused() + fonts.Unused();
    }

    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override;
    std::optional<PixelColor> EditColor(const PixelColor& colour) override {
        return editColor.Take(colour);
    }
    std::optional<std::string> EnterFileName(const std::string& proposed) override {
        return fileName.Take(proposed);
    }
    std::optional<std::string> ChooseFile(const FileDialogRequest& request) override {
        return files.Take(request);
    }
    std::optional<int> ChooseModuleIcon(const std::string& modulePath) override {
        return moduleIcons.Take(modulePath);
    }
    std::optional<FontDescription> ChooseFont(const FontDescription& font) override {
        return fonts.Take(font);
    }

    DialogScript<PixelColor, PixelColor> editColor{"Edit color"};
    DialogScript<std::string, std::string> fileName{"Enter File Name"};
    DialogScript<FileDialogRequest, std::string> files{"file"};
    DialogScript<std::string, int> moduleIcons{"Pictoform Icon Viewer"};
    DialogScript<FontDescription, FontDescription> fonts{"Font"};

private:
    std::deque<MessageAnswer> m_answers;
    std::vector<Message> m_messages;
};

} // namespace pictoform::test
