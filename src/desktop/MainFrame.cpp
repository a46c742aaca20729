#include "MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <QWhatsThis>

#include <algorithm>
#include <array>

#include "CanvasWidget.h"
#include "MenuSupport.h"
#include "editor/PictoformView.h"
#include "editor/ViewCommands.h"
#include "editor/Workspace.h"
#include "panels/ColourPanel.h"
#include "panels/FormatListPanel.h"
#include "panels/LayersPanel.h"
#include "panels/PreviewPanel.h"
#include "panels/ToolsPanel.h"

namespace pictoform {

namespace {

// Placeholders until the project has its own address and site.
constexpr const char* kContactAddress = "mailto:pictoform@example.org";
constexpr const char* kHomepageAddress = "https://pictoform.example.org/";

constexpr const char* kLayoutKey = "NormalLayout";
constexpr const char* kBarsGroup = "CommandBars";
constexpr const char* kRecentKey = "RecentFiles";

struct PaneLayout {
    const char* title; // the pane's caption, then its short name
    int width;
    int height;
    Qt::DockWidgetArea side;
    int below; // the pane it is docked under, 0 for none
    int command;
};

constexpr PaneLayout kPanes[] = {
    {"Drawing Tools\nTools", 270, 60, Qt::RightDockWidgetArea, 0, command::kShowTools},
    {"Color\nColors", 250, 90, Qt::RightDockWidgetArea, 1, command::kShowColour},
    {"Layers\nLayers", 250, 70, Qt::RightDockWidgetArea, 2, command::kShowLayers},
    {"Format List\nFormat List", 120, 120, Qt::LeftDockWidgetArea, 0, command::kShowFormatList},
    {"Preview\nPreview", 120, 40, Qt::LeftDockWidgetArea, 4, command::kShowPreview},
};

bool IsShellCommand(int id) {
    using namespace command;
    for (int shell : {kNew,
                      kOpen,
                      kSave,
                      kSaveAs,
                      kRecentFile,
                      kExit,
                      kAbout,
                      kHelpContent,
                      kContactUs,
                      kHomepage,
                      kShowTools,
                      kShowColour,
                      kShowLayers,
                      kShowFormatList,
                      kShowPreview,
                      kCustomize,
                      MainFrame::kHelp,
                      MainFrame::kContextHelp,
                      MainFrame::kNextPane,
                      MainFrame::kPreviousPane}) {
        if (id == shell) return true;
    }
    return false;
}

QList<QKeySequence> ShortcutsFor(int id) {
    using namespace command;
    switch (id) {
    case kNew:
        return {QKeySequence("Ctrl+N")};
    case kOpen:
        return {QKeySequence("Ctrl+O")};
    case kSave:
        return {QKeySequence("Ctrl+S")};
    case kUndo:
        return {QKeySequence("Ctrl+Z")};
    case kRedo:
        return {QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")};
    case kSaveAs:
        return {QKeySequence("Ctrl+Shift+S")};
    case kExit:
        return {QKeySequence("Ctrl+Q")};
    case kCut:
        return {QKeySequence("Ctrl+X"), QKeySequence("Shift+Del")};
    case kCopy:
        return {QKeySequence("Ctrl+C"), QKeySequence("Ctrl+Ins")};
    case kPaste:
        return {QKeySequence("Ctrl+V"), QKeySequence("Shift+Ins")};
    case kSelectAll:
        return {QKeySequence("Ctrl+A")};
    case kZoomIn:
        return {QKeySequence("Ctrl++"), QKeySequence("Ctrl+=")};
    case kZoomOut:
        return {QKeySequence("Ctrl+-")};
    case kZoomFit:
        return {QKeySequence("Ctrl+0")};
    case kZoomActual:
        return {QKeySequence("Ctrl+1")};
    case kRemove:
        return {QKeySequence(Qt::Key_Delete)};
    case kCancel:
        return {QKeySequence(Qt::Key_Escape)};
    case MainFrame::kHelp:
        return {QKeySequence(Qt::Key_F1)};
    case MainFrame::kContextHelp:
        return {QKeySequence("Shift+F1")};
    case MainFrame::kNextPane:
        return {QKeySequence(Qt::Key_F6)};
    case MainFrame::kPreviousPane:
        return {QKeySequence("Shift+F6")};
    default:
        return {};
    }
}

// The menu's text of a command, for the toolbar's tooltips and the customisation dialog.
std::string MenuTextOf(int id, const std::vector<MenuEntry>& entries) {
    for (const MenuEntry& entry : entries) {
        if (entry.id == id && !entry.IsSeparator()) return entry.text;
        const std::string inner = MenuTextOf(id, entry.submenu);
        if (!inner.empty()) return inner;
    }
    return {};
}

void UpdateTree(QWidget* widget) {
    if (!widget) return;
    widget->update();
    for (QWidget* child : widget->findChildren<QWidget*>()) child->update();
}

} // namespace

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 256})
        icon.addFile(QStringLiteral(":/icons/pictoform-%1.png").arg(size), QSize(size, size));
    return icon;
}

MainFrame::MainFrame(Workspace& workspace, CPictoformView& view)
    : m_workspace(workspace), m_view(view) {
    setObjectName("MainFrame");
    setWindowIcon(ProgramIcon());
    setAcceptDrops(true);
    m_canvas = std::make_unique<CanvasWidget>(view, this);
    setCentralWidget(m_canvas.get());
    connect(m_canvas.get(), &CanvasWidget::CommandChosen, this, &MainFrame::RunCommand);
    m_status = new QLabel(this);
    m_status->setObjectName("status");
    statusBar()->addWidget(m_status, 1);
    connect(m_canvas.get(), &CanvasWidget::StatusChanged, m_status, &QLabel::setText);
    connect(m_canvas.get(), &CanvasWidget::Edited, this, [this](bool finished) {
        m_layers->Refresh();
        if (!finished) return;
        m_colour->Refresh();
        RefreshActions();
    });
    BuildPanes();
    BuildMenus();
    BuildToolBar();
    BuildShortcuts();
    RestoreSettings();
    // Paste follows what the clipboard holds.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &MainFrame::RefreshActions);
    // Each repaint of the canvas shows in the format's thumbnail and the preview.
    m_view.SetAfterPaint([this] {
        UpdateTree(m_formats.get());
        UpdateTree(m_preview.get());
        // A stroke, a layer change or an undo may have made the work unsaved.
        setWindowModified(m_view.Modified());
    });
    RefreshTitle();
    RefreshActions();
}

MainFrame::~MainFrame() {
    m_view.SetAfterPaint({});
}

QAction* MainFrame::Action(int id) const {
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

QDockWidget* MainFrame::Pane(int pane) const {
    return pane >= 1 && pane <= static_cast<int>(m_panes.size()) ? m_panes[pane - 1].get()
                                                                 : nullptr;
}

void MainFrame::BuildPanes() {
    setDockNestingEnabled(true);
    for (size_t i = 0; i < std::size(kPanes); ++i) {
        const QString title = QString::fromLatin1(kPanes[i].title).section('\n', 0, 0);
        auto pane = std::make_unique<QDockWidget>(title, this);
        pane->setObjectName(QString("pane%1").arg(i + 1));
        m_panes.push_back(std::move(pane));
    }
    m_tools = std::make_unique<ToolsPanel>(m_workspace, Pane(1));
    // The tool decides which gradients the toolbar offers.
    connect(m_tools.get(), &ToolsPanel::Changed, this, &MainFrame::RefreshActions);
    m_colour = std::make_unique<ColourPanel>(m_workspace, m_view, Pane(2));
    m_layers = std::make_unique<LayersPanel>(m_workspace, m_view, Pane(3));
    m_formats = std::make_unique<FormatListPanel>(m_workspace, m_view, Pane(4));
    m_preview = std::make_unique<PreviewPanel>(m_workspace, m_view, Pane(5));
    const std::array<QWidget*, 5> panels = {m_tools.get(), m_colour.get(), m_layers.get(),
                                            m_formats.get(), m_preview.get()};
    QList<QDockWidget*> columns[2];
    QList<int> heights[2];
    for (size_t i = 0; i < std::size(kPanes); ++i) {
        const PaneLayout& layout = kPanes[i];
        QDockWidget* pane = m_panes[i].get();
        pane->setWidget(panels[i]);
        if (layout.below == 0) {
            addDockWidget(layout.side, pane);
        } else {
            splitDockWidget(Pane(layout.below), pane, Qt::Vertical);
        }
        const int column = layout.side == Qt::RightDockWidgetArea ? 0 : 1;
        columns[column].append(pane);
        heights[column].append(layout.height);
        QAction* toggle = pane->toggleViewAction();
        toggle->setData(layout.command);
        m_actions[layout.command] = toggle;
    }
    resizeDocks({Pane(1), Pane(4)}, {kPanes[0].width, kPanes[3].width}, Qt::Horizontal);
    for (int column = 0; column < 2; ++column) {
        resizeDocks(columns[column], heights[column], Qt::Vertical);
    }
}

QAction* MainFrame::CommandAction(int id, const QString& text) {
    if (QAction* existing = Action(id)) return existing;
    // Added to the window itself, so that its keys work with every menu closed.
    QAction* action = addAction(text);
    action->setData(id);
    action->setShortcuts(ShortcutsFor(id));
    connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
    m_actions[id] = action;
    m_ownTexts[id] = text;
    return action;
}

void MainFrame::BuildMenus() {
    const std::vector<MenuEntry>& menus = MainMenu();
    for (size_t i = 0; i < menus.size(); ++i) {
        QMenu* menu = menuBar()->addMenu(MenuText(menus[i].text));
        FillMenu(*menu, menus[i].submenu, [this](const MenuEntry& entry, QMenu& into) {
            if (entry.id != command::kRecentFile) {
                into.addAction(CommandAction(entry.id, MenuText(entry.text)));
                return;
            }
            m_noRecentFile = into.addAction(MenuText(entry.text));
            m_noRecentFile->setEnabled(false);
            for (int r = 0; r < kRecentFileCount; ++r) {
                QAction* recent = into.addAction(QString());
                connect(recent, &QAction::triggered, this, [this, r] { OpenRecentFile(r); });
                m_recentActions.push_back(recent);
            }
        });
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { RefreshMenu(*menu); });
        if (i == 1) {
            // The panes and bars, after Edit.
            QMenu* panes = menuBar()->addMenu("&View");
            panes->addAction(CommandAction(command::kZoomIn, "Zoom &In"));
            panes->addAction(CommandAction(command::kZoomOut, "Zoom &Out"));
            panes->addAction(CommandAction(command::kZoomFit, "&Fit"));
            panes->addAction(CommandAction(command::kZoomActual, "&Actual Pixels (1:1)"));
            panes->addSeparator();
            connect(panes, &QMenu::aboutToShow, this, [this, panes] { RefreshMenu(*panes); });
            for (const auto& pane : m_panes) panes->addAction(pane->toggleViewAction());
            panes->addSeparator();
            m_toolBar = addToolBar("ToolBar");
            m_toolBar->setObjectName("ToolBar");
            panes->addAction(m_toolBar->toggleViewAction());
            panes->addAction(CommandAction(command::kCustomize, "&Customize..."));
        }
    }
}

void MainFrame::BuildToolBar() {
    const std::vector<MenuEntry>& menus = MainMenu();
    for (int id : ToolBarCommands()) {
        if (id == 0) {
            m_toolBar->addSeparator();
            continue;
        }
        const QString text = PlainText(MenuTextOf(id, menus));
        QAction* action = m_toolBar->addAction(CommandIcon(id), text);
        action->setData(id);
        action->setToolTip(text);
        connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
        m_toolActions[id] = action;
    }
}

void MainFrame::BuildShortcuts() {
    CommandAction(kHelp, "Help");
    CommandAction(kContextHelp, "What's This?");
    CommandAction(kNextPane, "Next Pane");
    CommandAction(kPreviousPane, "Previous Pane");
}

void MainFrame::RefreshMenu(QMenu& menu) {
    for (QAction* action : menu.actions()) {
        if (QMenu* submenu = action->menu()) {
            RefreshMenu(*submenu);
            continue;
        }
        const int id = action->data().toInt();
        if (id == 0 || IsShellCommand(id)) continue;
        ApplyUpdate(*action, m_view.Commands().Update(id), m_ownTexts[id]);
    }
    if (!m_recentActions.empty() && menu.actions().contains(m_recentActions.front())) {
        RefreshRecentFiles();
    }
}

void MainFrame::RefreshTitle() {
    // "[*]" is where every window manager shows the unsaved-work mark.
    setWindowTitle(QString::fromStdString(m_view.DocumentName()) + "[*] - Pictoform");
    setWindowModified(m_view.Modified());
}

void MainFrame::RefreshActions() {
    for (const auto& [id, action] : m_toolActions) {
        if (IsShellCommand(id)) continue;
        CommandUpdate update = m_view.Commands().Update(id);
        update.text.clear(); // the buttons keep their short names
        ApplyUpdate(*action, update, action->text());
    }
    // The menus' actions carry the keys: a Copy left disabled by a menu
    // opened before there was a selection must work once there is one.
    // Their texts change when a menu opens, where they show.
    for (const auto& [id, action] : m_actions) {
        if (id == 0 || IsShellCommand(id)) continue;
        CommandUpdate update = m_view.Commands().Update(id);
        update.text.clear();
        ApplyUpdate(*action, update, action->text());
    }
}

void MainFrame::RefreshAll() {
    m_canvas->Repaint();
    m_tools->Refresh();
    m_colour->Refresh();
    m_layers->Refresh();
    m_formats->Refresh();
    m_preview->Refresh();
    RefreshTitle();
    RefreshActions();
}

void MainFrame::RunCommand(int id) {
    using namespace command;
    const std::string pathBefore = m_view.Path();
    switch (id) {
    case kNew:
        if (m_view.QueryClose()) m_view.InitialUpdate("");
        break;
    case kNewFromPicture:
        // The new icon replaces this one, so unsaved work is asked about first.
        if (m_view.QueryClose()) (void)m_view.Commands().Run(id);
        break;
    case kOpen:
        // Opening replaces the icon, so unsaved work is asked about first.
        if (m_view.QueryClose() && !m_view.Commands().Run(id)) m_view.OnFileOpen();
        break;
    case kSave:
        if (!m_view.Commands().Run(id)) m_view.OnFileSave();
        break;
    case kSaveAs:
        if (!m_view.Commands().Run(id)) m_view.OnFileSaveAs();
        break;
    case kExit:
        close();
        return;
    case kAbout:
        ShowAbout();
        return;
    case kHelpContent:
    case kHelp:
        OpenHelp();
        return;
    case kContextHelp:
        QWhatsThis::enterWhatsThisMode();
        return;
    case kContactUs:
        QDesktopServices::openUrl(QUrl(kContactAddress));
        return;
    case kHomepage:
        QDesktopServices::openUrl(QUrl(kHomepageAddress));
        return;
    case kNextPane:
    case kPreviousPane:
        CyclePane(id == kNextPane);
        return;
    case kCustomize:
        Customize();
        return;
    case kShowTools:
    case kShowColour:
    case kShowLayers:
    case kShowFormatList:
    case kShowPreview:
        Action(id)->trigger();
        return;
    default:
        (void)m_view.Commands().Run(id);
        break;
    }
    if (!m_view.Path().empty() && m_view.Path() != pathBefore) {
        RememberFile(QString::fromStdString(m_view.Path()));
    }
    RefreshAll();
}

QStringList MainFrame::RecentFiles() const {
    return QSettings().value(kRecentKey).toStringList().mid(0, kRecentFileCount);
}

void MainFrame::RememberFile(const QString& path) {
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    QSettings().setValue(kRecentKey, files.mid(0, kRecentFileCount));
}

void MainFrame::RefreshRecentFiles() {
    const QStringList files = RecentFiles();
    m_noRecentFile->setVisible(files.isEmpty());
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* action = m_recentActions[static_cast<size_t>(i)];
        action->setVisible(i < files.size());
        if (i < files.size()) {
            QString shown = files[i];
            action->setText(QString("&%1 %2").arg(i + 1).arg(shown.replace("&", "&&")));
        }
    }
}

void MainFrame::OpenRecentFile(int index) {
    const QStringList files = RecentFiles();
    if (index < 0 || index >= files.size() || !m_view.QueryClose()) return;
    const std::string path = files[index].toStdString();
    if (m_view.OpenIconDocument(path, FileExtension(path))) {
        RememberFile(files[index]);
    } else {
        // A file that cannot be opened any more leaves the list.
        QStringList rest = files;
        rest.removeAt(index);
        QSettings().setValue(kRecentKey, rest);
    }
    RefreshAll();
}

QString MainFrame::DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && m_view.IsOpenable(url.toLocalFile().toStdString())) {
            return url.toLocalFile();
        }
    }
    return {};
}

void MainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainFrame::dropEvent(QDropEvent* event) {
    const QString path = DroppedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    const std::string name = path.toStdString();
    if (m_view.IsPicture(name)) {
        // A picture joins the icon as one more format.
        (void)m_view.ImportPicture(name);
    } else if (m_view.QueryClose() && m_view.OpenIconDocument(name, FileExtension(name)) &&
               !m_view.Path().empty()) {
        // One document at a time: unsaved work is asked about first.
        RememberFile(path);
    }
    RefreshAll();
}

void MainFrame::closeEvent(QCloseEvent* event) {
    if (!m_view.QueryClose()) {
        event->ignore();
        return;
    }
    SaveSettings();
    event->accept();
}

void MainFrame::CyclePane(bool forward) {
    // The canvas and the shown panes, in pane order.
    std::vector<QWidget*> stops = {m_canvas.get()};
    for (const auto& pane : m_panes) {
        if (pane->isVisible() && pane->widget()) stops.push_back(pane->widget());
    }
    const QWidget* focused = QApplication::focusWidget();
    size_t current = 0;
    for (size_t i = 0; i < stops.size(); ++i) {
        if (focused && (stops[i] == focused || stops[i]->isAncestorOf(focused))) current = i;
    }
    const size_t count = stops.size();
    QWidget* target = stops[(current + (forward ? 1 : count - 1)) % count];
    if (target->focusPolicy() == Qt::NoFocus) {
        for (QWidget* child : target->findChildren<QWidget*>()) {
            if (child->isVisible() && child->isEnabled() && (child->focusPolicy() & Qt::TabFocus)) {
                target = child;
                break;
            }
        }
    }
    target->activateWindow();
    target->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void MainFrame::ShowAbout() {
    QMessageBox box(QMessageBox::Information, "About Pictoform", "Pictoform  (Version 1.002)",
                    QMessageBox::Ok, this);
    box.setIconPixmap(CommandIcon(command::kGradientRadial).pixmap(48, 48));
    box.exec();
}

QString MainFrame::FindUserGuide(const QString& executableDir) {
    // Installed: <prefix>/bin beside <prefix>/share; in a build tree the
    // guide sits in the sources' docs/, two or three folders up.
    for (const char* relative : {"/../share/pictoform/docs/index.html", "/docs/index.html",
                                 "/../../docs/index.html", "/../../../docs/index.html"}) {
        const QFileInfo guide(executableDir + relative);
        if (guide.isFile()) return guide.canonicalFilePath();
    }
    return {};
}

void MainFrame::OpenHelp() {
    const QString guide = FindUserGuide(QCoreApplication::applicationDirPath());
    if (guide.isEmpty()) {
        m_workspace.Ui().ShowMessage("Cannot find the user guide (docs/index.html).", "Error",
                                     MessageIcon::Error, MessageButtons::Ok);
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(guide))) {
        m_workspace.Ui().ShowMessage("No web browser could be started to show the user guide. "
                                     "It is at " +
                                         guide.toStdString() + ".",
                                     "Pictoform", MessageIcon::Information, MessageButtons::Ok);
    }
}

void MainFrame::Customize() {
    std::vector<std::pair<int, QString>> buttons;
    for (const auto& [id, action] : m_toolActions) buttons.emplace_back(id, action->text());
    // In the toolbar's order rather than by id.
    std::vector<std::pair<int, QString>> ordered;
    for (int id : ToolBarCommands()) {
        for (const auto& button : buttons) {
            if (button.first == id) ordered.push_back(button);
        }
    }
    if (const std::optional<BarSettings> chosen = RunCustomizeDialog(this, ordered, m_bars)) {
        ApplyBars(*chosen);
    }
}

void MainFrame::ApplyBars(const BarSettings& bars) {
    m_bars = bars;
    if (m_bars.iconSize != 16 && m_bars.iconSize != 32) m_bars.iconSize = 24;
    for (const auto& [id, action] : m_toolActions) {
        const auto& hidden = m_bars.hiddenCommands;
        action->setVisible(std::find(hidden.begin(), hidden.end(), id) == hidden.end());
    }
    m_toolBar->setIconSize(QSize(m_bars.iconSize, m_bars.iconSize));
    m_toolBar->setToolButtonStyle(m_bars.textUnderIcons ? Qt::ToolButtonTextUnderIcon
                                                        : Qt::ToolButtonIconOnly);
}

void MainFrame::SaveSettings() {
    QSettings settings;
    settings.setValue(kLayoutKey, saveState());
    settings.beginGroup(kBarsGroup);
    QList<QVariant> hidden;
    for (int id : m_bars.hiddenCommands) hidden.append(id);
    settings.setValue("HiddenButtons", hidden);
    settings.setValue("IconSize", m_bars.iconSize);
    settings.setValue("TextUnderIcons", m_bars.textUnderIcons);
    settings.endGroup();
}

void MainFrame::RestoreSettings() {
    QSettings settings;
    BarSettings bars;
    settings.beginGroup(kBarsGroup);
    for (const QVariant& id : settings.value("HiddenButtons").toList()) {
        bars.hiddenCommands.push_back(id.toInt());
    }
    bars.iconSize = settings.value("IconSize", 24).toInt();
    bars.textUnderIcons = settings.value("TextUnderIcons", false).toBool();
    settings.endGroup();
    ApplyBars(bars);
    // Without a saved layout (or with one that no longer fits) the panes stay as built.
    (void)restoreState(settings.value(kLayoutKey).toByteArray());
}

} // namespace pictoform
