#include "IconViewerDialog.h"

#include <QDialogButtonBox>
#include <QImage>
#include <QListWidget>
#include <QPixmap>
#include <QVBoxLayout>

namespace pictoform {

namespace {

QIcon PreviewIcon(const std::vector<uint8_t>& bgra) {
    constexpr int side = CIconViewerModel::kPreviewSide;
    if (bgra.size() < static_cast<size_t>(side) * side * 4) return {};
    // Blue, green, red, alpha bytes are ARGB32 on a little-endian machine.
    const QImage image(bgra.data(), side, side, side * 4, QImage::Format_ARGB32);
    return QIcon(QPixmap::fromImage(image.copy()));
}

} // namespace

IconViewerDialog::IconViewerDialog(const std::string& modulePath, QWidget* parent)
    : QDialog(parent), m_model(modulePath) {
    setWindowTitle(CIconViewerModel::kDialogCaption);
    auto* layout = new QVBoxLayout(this);
    m_list = new QListWidget(this);
    m_list->setViewMode(QListView::IconMode);
    m_list->setIconSize(QSize(CIconViewerModel::kPreviewSide, CIconViewerModel::kPreviewSide));
    m_list->setGridSize(QSize(72, 64));
    m_list->setResizeMode(QListView::Adjust);
    m_list->setMovement(QListView::Static);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setMinimumSize(420, 300);
    for (int i = 0; i < m_model.IconCount(); ++i) {
        m_list->addItem(new QListWidgetItem(PreviewIcon(m_model.PreviewBgra(i)),
                                            QString::fromStdString(m_model.ItemText(i))));
    }
    layout->addWidget(m_list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &IconViewerDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &IconViewerDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &IconViewerDialog::accept);
    layout->addWidget(buttons);
}

void IconViewerDialog::accept() {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    m_model.Select(selected.isEmpty() ? -1 : m_list->row(selected.first()));
    m_model.Accept();
    QDialog::accept();
}

} // namespace pictoform
