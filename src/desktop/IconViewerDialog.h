#pragma once

#include <QDialog>

#include "icon/IconViewerModel.h"

class QListWidget;

namespace pictoform {

// "Pictoform Icon Viewer": the icons of a program module, one to pick.
class IconViewerDialog : public QDialog {
    Q_OBJECT
public:
    IconViewerDialog(const std::string& modulePath, QWidget* parent);

    // The module has no icons (or could not be read): say so and do not show.
    [[nodiscard]] bool MustClose() const { return m_model.MustClose(); }
    [[nodiscard]] const CIconViewerModel& Model() const { return m_model; }
    [[nodiscard]] QListWidget& List() { return *m_list; }

public slots:
    void accept() override;

private:
    CIconViewerModel m_model;
    QListWidget* m_list = nullptr; // a child of the dialog
};

} // namespace pictoform
