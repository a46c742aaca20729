#pragma once
// "Subdivide", "Add Text" and "Dropping Shadow Option": windows over their
// core models.

#include <QDialog>

#include "colour/ShadowOptionsDialog.h"
#include "panels/SubdivideDialog.h"
#include "panels/TextInputDialog.h"

class QPlainTextEdit;

namespace pictoform {

class UpDownEdit;
class ColourSwatch;

class SubdivideDialog : public QDialog {
    Q_OBJECT
public:
    SubdivideDialog(CSubdivideDialog& model, QWidget* parent);
    [[nodiscard]] UpDownEdit& HorizontalEdit() { return *m_horizontal; }
    [[nodiscard]] UpDownEdit& VerticalEdit() { return *m_vertical; }

private:
    CSubdivideDialog& m_model;
    UpDownEdit* m_horizontal = nullptr;
    UpDownEdit* m_vertical = nullptr;
};

class TextInputDialog : public QDialog {
    Q_OBJECT
public:
    TextInputDialog(CTextInputDialog& model, QWidget* parent);
    [[nodiscard]] QPlainTextEdit& TextEdit() { return *m_edit; }
    // "Font": the run's font changes and the edit shows it.
    void ChooseFont();

private:
    void ShowFont();

    CTextInputDialog& m_model;
    QPlainTextEdit* m_edit = nullptr;
};

class ShadowOptionsDialog : public QDialog {
    Q_OBJECT
public:
    ShadowOptionsDialog(CDSOPTDialog& model, QWidget* parent);
    [[nodiscard]] UpDownEdit& XEdit() { return *m_x; }
    [[nodiscard]] UpDownEdit& YEdit() { return *m_y; }
    [[nodiscard]] ColourSwatch& Swatch() { return *m_swatch; }
    // "Default": the model's defaults shown.
    void Default();

private:
    CDSOPTDialog& m_model;
    UpDownEdit* m_x = nullptr;
    UpDownEdit* m_y = nullptr;
    ColourSwatch* m_swatch = nullptr;
};

// The modal runs; true for OK, the model then holds what was entered.
bool RunSubdivideDialog(QWidget* parent, CSubdivideDialog& model);
bool RunTextInputDialog(QWidget* parent, CTextInputDialog& model);
bool RunShadowOptionsDialog(QWidget* parent, CDSOPTDialog& model);

} // namespace pictoform
