#pragma once
// "New Format" (a size and a depth list) and "Custom Size" (width and
// height), each a window over its core model.

#include <QDialog>

#include <vector>

#include "panels/FrameTimeDialog.h"
#include "panels/NewFormatDialog.h"
#include "panels/PictureSizeDialog.h"
#include "panels/SizeDialog.h"

class QAbstractButton;
class QComboBox;
class QLabel;
class QSpinBox;
class QPushButton;

namespace pictoform {

class UpDownEdit;

class CustomSizeDialog : public QDialog {
    Q_OBJECT
public:
    CustomSizeDialog(CSizeDialog& model, QWidget* parent);
    [[nodiscard]] UpDownEdit& WidthEdit() { return *m_width; }
    [[nodiscard]] UpDownEdit& HeightEdit() { return *m_height; }
    // OK: closes only when the model takes the size (it tells the user why not).
    void Ok();

private:
    CSizeDialog& m_model;
    UpDownEdit* m_width = nullptr;
    UpDownEdit* m_height = nullptr;
};

class NewFormatDialog : public QDialog {
    Q_OBJECT
public:
    // The Custom item runs the size dialog through sizeRunner; by default a
    // CustomSizeDialog over this window.
    NewFormatDialog(CNewFmtDialog& model, QWidget* parent,
                    CNewFmtDialog::SizeDialogRunner sizeRunner = {});
    [[nodiscard]] QComboBox& Sizes() { return *m_sizes; }
    [[nodiscard]] QComboBox& Depths() { return *m_depths; }
    // The user picked a size item (the Custom one asks for a size).
    void PickSize(int position);

private:
    void FillSizes();

    CNewFmtDialog& m_model;
    CNewFmtDialog::SizeDialogRunner m_sizeRunner;
    QComboBox* m_sizes = nullptr;
    QComboBox* m_depths = nullptr;
};

// The sizes to make from a picture: a check box (or, for one size, a radio
// button) per standard size.
class PictureSizeDialog : public QDialog {
    Q_OBJECT
public:
    PictureSizeDialog(CPictureSizeDialog& model, QWidget* parent);
    [[nodiscard]] QAbstractButton& SizeButton(size_t index) { return *m_buttons.at(index); }

private:
    void Refresh();

    CPictureSizeDialog& m_model;
    std::vector<QAbstractButton*> m_buttons;
    QPushButton* m_ok = nullptr;
};

// "Frame Time": jiffies in a spin box, the milliseconds beside them.
class FrameTimeDialog : public QDialog {
    Q_OBJECT
public:
    FrameTimeDialog(CFrameTimeDialog& model, QWidget* parent);
    [[nodiscard]] QSpinBox& Jiffies() { return *m_jiffies; }
    [[nodiscard]] QLabel& Milliseconds() { return *m_milliseconds; }

private:
    CFrameTimeDialog& m_model;
    QSpinBox* m_jiffies = nullptr;
    QLabel* m_milliseconds = nullptr;
};

// The modal runs; true for OK.
bool RunCustomSizeDialog(QWidget* parent, CSizeDialog& model);
bool RunFrameTimeDialog(QWidget* parent, CFrameTimeDialog& model);
bool RunPictureSizeDialog(QWidget* parent, CPictureSizeDialog& model);
bool RunNewFormatDialog(QWidget* parent, CNewFmtDialog& model);

} // namespace pictoform
