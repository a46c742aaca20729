#include "dialogs/SystemIconsDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QImage>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "QtShell.h"
#include "editor/Workspace.h"
#include "panels/PanelSupport.h"
#include "sysicons/FileRegistry.h"
#include "sysicons/IconThemeSeed.h"

namespace pictoform {

namespace {

QIcon ToQIcon(const ShellIcon& icon) {
    if (!icon.IsValid()) return {};
    const QImage image(icon.bgra.data(), icon.width, icon.height, icon.width * 4,
                       QImage::Format_ARGB32);
    return QIcon(QPixmap::fromImage(image.copy()));
}

} // namespace

CChangeSysIconDialog::CChangeSysIconDialog(const std::string& folder, Registry& registry,
                                           Shell& shell, UiServices& ui, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_shell(shell), m_set(folder, registry, shell, ui) {
    setWindowTitle("Change System Icons");
    auto* layout = new QVBoxLayout(this);
    m_list = new QListWidget(this);
    m_list->setViewMode(QListView::IconMode);
    m_list->setIconSize(QSize(ShellIcon::kSide, ShellIcon::kSide));
    m_list->setGridSize(QSize(96, 72));
    m_list->setResizeMode(QListView::Adjust);
    m_list->setMovement(QListView::Static);
    m_list->setWordWrap(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setFont(FontOrFallback("Tahoma", 8));
    m_list->setMinimumSize(420, 200);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(m_list);

    m_menu = new QMenu(this);
    m_menu->setToolTipsVisible(true);
    m_replaceIco = m_menu->addAction("Replace with ICO File");
    m_replaceDll = m_menu->addAction("Replace with icon in DLL");
    m_restore = m_menu->addAction("Restore");
    m_restore->setToolTip("Use system default value");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    m_restoreAll = buttons->addButton("Restore All", QDialogButtonBox::ActionRole);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_restoreAll, &QPushButton::clicked, this, [this] { RestoreEverything(); });
    connect(m_replaceIco, &QAction::triggered, this, [this] { ReplaceWithIconFile(); });
    connect(m_replaceDll, &QAction::triggered, this, [this] { ReplaceWithModuleIcon(); });
    connect(m_restore, &QAction::triggered, this, [this] { RestoreSelected(); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { ReplaceWithIconFile(); });
    connect(m_list, &QListWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ShowItemMenu(at); });

    // Icons changed elsewhere show here at once.
    m_listener = m_shell.AddIconsChangedListener([this] {
        if (!m_inCommand) Refill();
    });
    (void)m_set.BackupAll();
    Refill();
}

CChangeSysIconDialog::~CChangeSysIconDialog() {
    m_shell.RemoveIconsChangedListener(m_listener);
}

void CChangeSysIconDialog::ShowItemMenu(const QPoint& listPoint) {
    if (m_list->itemAt(listPoint) == nullptr) return;
    m_menu->exec(m_list->viewport()->mapToGlobal(listPoint));
}

std::vector<size_t> CChangeSysIconDialog::SelectedRows() const {
    std::vector<size_t> rows;
    for (const QListWidgetItem* item : m_list->selectedItems()) {
        const int row = m_list->row(item);
        if (row >= 0) rows.push_back(static_cast<size_t>(row));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CChangeSysIconDialog::Refill() {
    std::vector<SysIconListEntry> entries;
    m_set.FillList(entries, true);
    m_list->clear();
    for (const SysIconListEntry& entry : entries) {
        m_list->addItem(
            new QListWidgetItem(ToQIcon(entry.icon), QString::fromStdString(entry.text)));
    }
    m_list->viewport()->update();
}

void CChangeSysIconDialog::ReplaceWithIconFile() {
    m_inCommand = true;
    for (size_t row : SelectedRows()) (void)m_set.ReplaceItem(row, "");
    m_inCommand = false;
    ReportThemeError();
    Refill();
}

void CChangeSysIconDialog::ReportThemeError() {
    const auto* desktop = dynamic_cast<const DesktopShell*>(&m_shell);
    if (!desktop || desktop->ThemeError().empty()) return;
    // The choice is kept; say why the desktop will not show it.
    m_ui.ShowMessage(
        "The new icon is kept, but the desktop will not show it: " + desktop->ThemeError() + ".",
        "Change System Icons", MessageIcon::Exclamation, MessageButtons::Ok);
}

void CChangeSysIconDialog::ReplaceWithModuleIcon() {
    if (SelectedRows().empty()) return;
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.filter = kModuleFileFilter;
    const std::optional<std::string> module = m_ui.ChooseFile(request);
    if (!module) return;
    const std::optional<int> index = m_ui.ChooseModuleIcon(*module);
    if (!index) return;
    const std::string location = *module + "," + std::to_string(*index);
    m_inCommand = true;
    for (size_t row : SelectedRows()) (void)m_set.ReplaceItem(row, location);
    m_inCommand = false;
    ReportThemeError();
    Refill();
}

void CChangeSysIconDialog::RestoreSelected() {
    m_inCommand = true;
    for (size_t row : SelectedRows()) {
        if (row >= m_set.Items().size()) continue;
        m_set.RestoreItem(m_set.Items()[row]);
        m_set.RefreshRecycleBin();
    }
    m_inCommand = false;
    Refill();
}

void CChangeSysIconDialog::RestoreEverything() {
    m_inCommand = true;
    m_set.RestoreAll();
    m_inCommand = false;
    Refill();
}

std::function<void()> SystemIconsRunner(Workspace& workspace, QWidget* parent) {
    struct Services {
        std::unique_ptr<QtShell> shell;
        std::unique_ptr<FileRegistry> registry;
    };
    auto services = std::make_shared<Services>();
    const QPointer<QWidget> owner(parent);
    // The workspace owns the runners, so it outlives every call.
    return [&workspace, services, owner] {
        if (!services->shell) services->shell = std::make_unique<QtShell>();
        if (!services->registry) {
            QtShell& shell = *services->shell;
            services->registry = std::make_unique<FileRegistry>(
                FileRegistry::DefaultPath(ProcessEnvironment()), workspace.Ui(),
                [&shell](Registry& registry) {
                    SeedFromDesktopTheme(registry, ProcessEnvironment(), shell.IsTrashEmpty());
                });
        }
        const std::string folder =
            std::filesystem::path(workspace.Paths().SystemIconFile()).parent_path().string();
        CChangeSysIconDialog dialog(folder, *services->registry, *services->shell, workspace.Ui(),
                                    owner);
        dialog.exec();
    };
}

} // namespace pictoform
