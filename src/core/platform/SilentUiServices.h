#pragma once
// UiServices for front ends that cannot ask anyone (scripts, benchmarks):
// messages are dropped, questions get their cautious answer and every dialog
// is cancelled. Kept beside the interface so a new dialog is added here too.

#include "platform/UiServices.h"

namespace pictoform {

class SilentUiServices : public UiServices {
public:
    MessageAnswer ShowMessage(const std::string&, const std::string&, MessageIcon,
                              MessageButtons buttons) override {
        switch (buttons) {
        case MessageButtons::Ok:
            return MessageAnswer::Ok;
        case MessageButtons::YesNo:
        case MessageButtons::YesNoDefaultNo:
            return MessageAnswer::No;
        default:
            return MessageAnswer::Cancel;
        }
    }
    std::optional<PixelColor> EditColor(const PixelColor&) override { return std::nullopt; }
    std::optional<std::string> EnterFileName(const std::string&) override { return std::nullopt; }
    std::optional<std::string> ChooseFile(const FileDialogRequest&) override {
        return std::nullopt;
    }
    std::optional<int> ChooseModuleIcon(const std::string&) override { return std::nullopt; }
    std::optional<FontDescription> ChooseFont(const FontDescription&) override {
        return std::nullopt;
    }
};

} // namespace pictoform
