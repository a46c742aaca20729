#pragma once
// What the core asks of the user in the middle of an operation: questions,
// warnings and the small modal dialogs. The desktop answers with real
// windows; tests answer from a script, so nothing here may block on a screen.

#include <optional>
#include <string>

#include "image/PixelColor.h"
#include "platform/TextRasterizer.h"

namespace pictoform {

enum class MessageIcon { None, Information, Question, Exclamation, Error };
// YesNoDefaultNo: a question whose Enter answers No, for what cannot be undone.
// RecoverDiscardLater: "Recover" answers Yes, "Discard" No, "Later" Cancel.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, YesNoDefaultNo, RecoverDiscardLater };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// A file dialog as the program opens it. The filter is "Title|*.a;*.b|..."
// with a trailing bar; filterIndex counts its pairs from 1.
struct FileDialogRequest {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    // The suggested name (Save), without a forced extension.
    std::string fileName;
    std::string filter;
    int filterIndex = 1;
};

class UiServices {
public:
    virtual ~UiServices() = default;

    // A modal message box; the answer is one of the buttons offered.
    virtual MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                                      MessageIcon icon, MessageButtons buttons) = 0;

    // The "Edit color" dialog opened on a colour with alpha: the edited colour
    // after OK, nothing after Cancel.
    virtual std::optional<PixelColor> EditColor(const PixelColor& colour) = 0;

    // The "Enter File Name" dialog, its one edit holding the proposed name:
    // the text after OK (possibly empty), nothing after Cancel.
    virtual std::optional<std::string> EnterFileName(const std::string& proposed) = 0;

    // A file dialog: the chosen full path, nothing after Cancel. Saving over
    // an existing file is confirmed by the dialog itself.
    virtual std::optional<std::string> ChooseFile(const FileDialogRequest& request) = 0;

    // The icon viewer on a program module: the index of the chosen icon
    // (as the module's icon list counts them), nothing after Cancel.
    virtual std::optional<int> ChooseModuleIcon(const std::string& modulePath) = 0;

    // The desktop's font dialog opened on a font: the chosen one after OK.
    virtual std::optional<FontDescription> ChooseFont(const FontDescription& font) = 0;

protected:
    UiServices() = default;
    UiServices(const UiServices&) = default;
    UiServices& operator=(const UiServices&) = default;
};

} // namespace pictoform
