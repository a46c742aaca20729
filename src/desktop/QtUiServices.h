#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "platform/UiServices.h"

namespace pictoform {

// One filter of a file dialog in Qt's terms.
struct QtFileFilter {
    QString text;      // "Icon Files (*.ico *.cur)"
    QString extension; // the first pattern's extension without the dot: "ico"; may be empty
};

// "Title|*.a;*.b|Other|*.c|" as Qt's filters. A title that already names its
// patterns in parentheses ("Programs(*.dll, *.exe)") keeps only its words.
QList<QtFileFilter> ConvertFileFilter(const std::string& filter);
// Qt's ";;"-joined form of the filters.
QString JoinFileFilters(const QList<QtFileFilter>& filters);

// The program's questions and modal dialogs as Qt windows, centred on the
// main window once it exists.
class QtUiServices : public UiServices {
public:
    void SetParent(QWidget* parent) { m_parent = parent; }

    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override;
    std::optional<PixelColor> EditColor(const PixelColor& colour) override;
    std::optional<std::string> EnterFileName(const std::string& proposed) override;
    std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
    std::optional<int> ChooseModuleIcon(const std::string& modulePath) override;
    std::optional<FontDescription> ChooseFont(const FontDescription& font) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace pictoform
