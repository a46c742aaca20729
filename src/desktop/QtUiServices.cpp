#include "QtUiServices.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include "IconViewerDialog.h"
#include "QtTextRasterizer.h"
#include "dialogs/ColourDialogs.h"

namespace pictoform {

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MessageButtons buttons) {
    switch (buttons) {
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoDefaultNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::Ok:
    case MessageButtons::RecoverDiscardLater: // buttons of its own
        break;
    }
    return QMessageBox::Ok;
}

// Closing the box without a button gives the most cautious answer offered.
MessageAnswer CautiousAnswer(MessageButtons buttons) {
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

QString WithoutDot(const QString& pattern) {
    const qsizetype dot = pattern.lastIndexOf('.');
    if (dot < 0) return {};
    const QString extension = pattern.mid(dot + 1);
    return extension.contains('*') || extension.contains('?') ? QString() : extension;
}

} // namespace

QList<QtFileFilter> ConvertFileFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QList<QtFileFilter> result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString title = parts[i].trimmed();
        const QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        if (patterns.isEmpty()) continue;
        // Qt reads the patterns from the last parentheses; a second pair would show twice.
        title.remove(QRegularExpression(QStringLiteral("\\s*\\([^()]*\\)$")));
        QtFileFilter entry;
        entry.text = title + " (" + patterns.join(' ').trimmed() + ")";
        entry.extension = WithoutDot(patterns.first().trimmed());
        result.append(entry);
    }
    return result;
}

QString JoinFileFilters(const QList<QtFileFilter>& filters) {
    QStringList texts;
    for (const QtFileFilter& filter : filters) texts.append(filter.text);
    return texts.join(";;");
}

MessageAnswer QtUiServices::ShowMessage(const std::string& text, const std::string& caption,
                                        MessageIcon icon, MessageButtons buttons) {
    if (buttons == MessageButtons::RecoverDiscardLater) {
        QMessageBox box(ToQtIcon(icon), QString::fromStdString(caption),
                        QString::fromStdString(text), QMessageBox::NoButton, m_parent);
        QPushButton* recover = box.addButton("Recover", QMessageBox::AcceptRole);
        QPushButton* discard = box.addButton("Discard", QMessageBox::DestructiveRole);
        box.addButton("Later", QMessageBox::RejectRole);
        box.setDefaultButton(recover);
        box.exec();
        return box.clickedButton() == recover   ? MessageAnswer::Yes
               : box.clickedButton() == discard ? MessageAnswer::No
                                                : MessageAnswer::Cancel;
    }
    QMessageBox box(ToQtIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    ToQtButtons(buttons), m_parent);
    if (buttons == MessageButtons::YesNoDefaultNo) box.setDefaultButton(QMessageBox::No);
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        return CautiousAnswer(buttons);
    }
}

std::optional<PixelColor> QtUiServices::EditColor(const PixelColor& colour) {
    return RunEditColorDialog(m_parent, colour);
}

std::optional<std::string> QtUiServices::EnterFileName(const std::string& proposed) {
    QDialog dialog(m_parent);
    dialog.setWindowTitle("Enter File Name");
    auto* layout = new QVBoxLayout(&dialog);
    auto* edit = new QLineEdit(QString::fromStdString(proposed), &dialog);
    edit->setMinimumWidth(260);
    edit->selectAll();
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return edit->text().toStdString();
}

std::optional<std::string> QtUiServices::ChooseFile(const FileDialogRequest& request) {
    const QList<QtFileFilter> filters = ConvertFileFilter(request.filter);
    const bool save = request.kind == FileDialogRequest::Kind::Save;
    QFileDialog dialog(m_parent, save ? "Save As" : "Open");
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(JoinFileFilters(filters).split(";;"));
    const int index = request.filterIndex >= 1 && request.filterIndex <= filters.size()
                          ? request.filterIndex - 1
                          : 0;
    if (!filters.isEmpty()) {
        dialog.selectNameFilter(filters[index].text);
        // A name typed without an extension gets the chosen type's, and the
        // dialog's own overwrite question then asks about that very file.
        if (save) dialog.setDefaultSuffix(filters[index].extension);
    }
    if (save) {
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, filters](const QString& chosen) {
                             for (const QtFileFilter& filter : filters) {
                                 if (filter.text == chosen)
                                     dialog.setDefaultSuffix(filter.extension);
                             }
                         });
        if (!request.fileName.empty()) dialog.selectFile(QString::fromStdString(request.fileName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<int> QtUiServices::ChooseModuleIcon(const std::string& modulePath) {
    IconViewerDialog dialog(modulePath, m_parent);
    if (dialog.MustClose()) {
        ShowMessage(CIconViewerModel::kNoIconText, CIconViewerModel::kNoIconCaption,
                    MessageIcon::Exclamation, MessageButtons::Ok);
        return std::nullopt;
    }
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const int chosen = dialog.Model().ChosenIndex();
    if (chosen < 0) return std::nullopt;
    return chosen;
}

std::optional<FontDescription> QtUiServices::ChooseFont(const FontDescription& font) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, ToQFont(font), m_parent);
    if (!ok) return std::nullopt;
    return FromQFont(chosen);
}

} // namespace pictoform
