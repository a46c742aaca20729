#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include <algorithm>

#include "MainFrame.h"

namespace pictoform {

std::optional<BarSettings> RunCustomizeDialog(QWidget* parent,
                                              const std::vector<std::pair<int, QString>>& buttons,
                                              const BarSettings& current) {
    QDialog dialog(parent);
    dialog.setWindowTitle("Customize");
    auto* layout = new QVBoxLayout(&dialog);

    auto* shown = new QGroupBox("Toolbar buttons", &dialog);
    auto* shownLayout = new QVBoxLayout(shown);
    std::vector<std::pair<int, QCheckBox*>> boxes;
    for (const auto& [id, name] : buttons) {
        auto* box = new QCheckBox(name, shown);
        const auto& hidden = current.hiddenCommands;
        box->setChecked(std::find(hidden.begin(), hidden.end(), id) == hidden.end());
        shownLayout->addWidget(box);
        boxes.emplace_back(id, box);
    }
    layout->addWidget(shown);

    auto* look = new QFormLayout();
    auto* size = new QComboBox(&dialog);
    for (int side : {16, 24, 32}) size->addItem(QString("%1 x %1").arg(side), side);
    size->setCurrentIndex(std::max(0, size->findData(current.iconSize)));
    look->addRow("Icon size:", size);
    auto* textUnder = new QCheckBox("Text under icons", &dialog);
    textUnder->setChecked(current.textUnderIcons);
    look->addRow(textUnder);
    layout->addLayout(look);

    auto* answer = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(answer, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(answer, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(answer);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;

    BarSettings chosen;
    for (const auto& [id, box] : boxes) {
        if (!box->isChecked()) chosen.hiddenCommands.push_back(id);
    }
    chosen.iconSize = size->currentData().toInt();
    chosen.textUnderIcons = textUnder->isChecked();
    return chosen;
}

} // namespace pictoform
