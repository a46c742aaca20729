// Takes the user guide's pictures of the main window: at start-up, with an
// icon open whose 48 x 48 format has three layers and a drawing object still
// active, and with a 16-colour format; and of the "Change System Icons" dialog. Run by
// scripts/take_screenshots.sh under Xvfb:
//     pictoform_screenshots ICON.ico OUTDIR

#include <QApplication>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>

#include <cstdio>
#include <filesystem>

#include "Application.h"
#include "CanvasWidget.h"
#include "editor/MenuModel.h"
#include "editor/ViewCommands.h"
#include "editor/ViewMouse.h"
#include "panels/PreviewPanel.h"
#include "platform/SilentUiServices.h"
#include "sysicons/DesktopShell.h"
#include "sysicons/FileRegistry.h"
#include "sysicons/IconThemeSeed.h"
#include "sysicons/SysIconSet.h"

namespace {

using namespace pictoform;

void Settle(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool Save(Application& program, const QString& path) {
    program.Frame().RefreshAll();
    Settle(800);
    const QPixmap shot = program.Frame().grab();
    if (!shot.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%d x %d)\n", qPrintable(path), shot.width(), shot.height());
    return true;
}

// A gesture on the canvas in icon pixels, as the mouse would make it.
void Drag(CPictoformView& view, int x0, int y0, int x1, int y1) {
    const ViewGeometry& g = view.Geometry();
    auto wx = [&](int x) { return g.originX + x * g.zoom + g.zoom / 2; };
    auto wy = [&](int y) { return g.originY + y * g.zoom + g.zoom / 2; };
    view.Mouse().Press(wx(x0), wy(y0));
    view.Mouse().Move(wx((x0 + x1) / 2), wy((y0 + y1) / 2), mouse::kLeft);
    view.Mouse().Move(wx(x1), wy(y1), mouse::kLeft);
    view.Mouse().Release(wx(x1), wy(y1));
}

int MaskIndex(const CToolDialog& tools, const std::string& title) {
    for (size_t i = 0; i < tools.Masks().size(); ++i)
        if (tools.Masks()[i].title == title) return static_cast<int>(i);
    return -1;
}

// Makes the 48 x 48 format of the open icon the current one.
void Show48(Application& program) {
    CPreviewDialog& formats = program.Space().FormatList();
    for (int i = 0; i < formats.Count(); ++i)
        if (formats.Item(i).format->Width() == 48) (void)formats.SelectItem(i);
}

bool LayeredIcon(const QString& icon, const QString& out) {
    Application program({QCoreApplication::applicationFilePath(), icon});
    program.Show();
    Settle(300);
    Workspace& space = program.Space();
    CPictoformView& view = program.View();
    Show48(program);
    program.Frame().RefreshAll();
    Settle(300);

    // Layer 2: a gold star from the mask library, merged into it.
    CToolDialog& tools = space.Tools();
    // A new layer shows once its eye is clicked.
    if (!space.LayerPanel().AddLayer()) return false;
    space.LayerPanel().ClickItem(1, 2);
    space.LayerPanel().SelectItem(1);
    space.Colours().SetColor(0xFF20C0F0u, 0, 0); // ABGR: gold
    tools.LeftButtonDown(ToolButton::Mask);
    const int star = MaskIndex(tools, "Star");
    if (star >= 0) tools.ChooseMask(star);
    Drag(view, 26, 2, 46, 22);
    (void)view.Commands().Run(command::kDeselect);

    // Layer 3: a radial gradient ellipse left active, its handles showing.
    if (!space.LayerPanel().AddLayer()) return false;
    space.LayerPanel().ClickItem(2, 2);
    space.LayerPanel().SelectItem(2);
    space.LayerPanel().MoveSlider(200);
    space.Colours().SelectTab(CAdvColorDialog::kMultiColourTab);
    (void)view.Commands().Run(command::kGradientRadial);
    tools.LeftButtonDown(ToolButton::Ellipse);
    Drag(view, 4, 26, 22, 44);
    return Save(program, out + "/screenshot-layers.png");
}

// A 16-colour copy of the 48 x 48 format with a gradient ellipse merged into
// it: the canvas, its thumbnail and the preview show the colours the file
// will hold.
bool SixteenColours(const QString& icon, const QString& out) {
    Application program({QCoreApplication::applicationFilePath(), icon});
    program.Show();
    Settle(300);
    Workspace& space = program.Space();
    CPreviewDialog& formats = space.FormatList();
    Show48(program);
    if (!formats.AddNewFormat({48, 48, kDepth16}, true)) return false;
    (void)formats.SelectItem(formats.Count() - 1);
    program.Frame().RefreshAll();
    Settle(300);
    CPictoformView& view = program.View();
    space.Colours().SelectTab(CAdvColorDialog::kMultiColourTab);
    (void)view.Commands().Run(command::kGradientRadial);
    space.Tools().LeftButtonDown(ToolButton::Ellipse);
    Drag(view, 2, 24, 22, 44);
    (void)view.Commands().Run(command::kDeselect);
    return Save(program, out + "/screenshot-16colours.png");
}

// The 48 x 48 format zoomed to 32 screen pixels an icon pixel: the canvas
// scrolls, and the status bar names the pixel under the pointer.
bool Zoomed(const QString& icon, const QString& out) {
    Application program({QCoreApplication::applicationFilePath(), icon});
    program.Show();
    Settle(300);
    Show48(program);
    program.Frame().RefreshAll();
    Settle(300);
    program.View().ZoomTo(32);
    program.Frame().RefreshAll();
    CanvasWidget& canvas = program.Frame().Canvas();
    const QPoint at = canvas.viewport()->rect().center();
    QMouseEvent move(QEvent::MouseMove, QPointF(at), canvas.viewport()->mapToGlobal(QPointF(at)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(canvas.viewport(), &move);
    return Save(program, out + "/screenshot-zoom.png");
}

// Four frames of a ball rolling across, played in the preview: the format
// list and the preview at two moments.
bool Animation(const QString& out) {
    Application program({QCoreApplication::applicationFilePath()});
    program.Show();
    Settle(300);
    Workspace& space = program.Space();
    CPreviewDialog& formats = space.FormatList();
    const uint32_t colours[] = {0xFF3040E0u, 0xFF30A0F0u, 0xFF40C040u, 0xFFE08030u}; // ABGR
    for (int frame = 0; frame < 4; ++frame) {
        if (frame > 0 && !formats.AddNewFormat({48, 48, kDepth32}, false)) return false;
        (void)formats.SelectItem(frame);
        program.Frame().RefreshAll();
        formats.Item(frame).format->SetFrameTime(30);
        space.Colours().SetColor(colours[frame], 0, 0);
        space.Tools().LeftButtonDown(ToolButton::Ellipse);
        Drag(program.View(), 2 + 8 * frame, 14, 18 + 8 * frame, 30);
        (void)program.View().Commands().Run(command::kDeselect);
        // The repaint makes the frame's final picture, which the preview plays.
        program.Frame().RefreshAll();
    }
    (void)formats.SelectItem(0);
    program.Frame().RefreshAll();
    PreviewPanel& preview = program.Frame().Preview();
    preview.TogglePlay();
    const QRect left =
        program.Frame().Pane(4)->geometry().united(program.Frame().Pane(5)->geometry());
    for (uint32_t frame : {1u, 2u}) {
        QElapsedTimer waited;
        waited.start();
        while (preview.Player().Frame() != frame && waited.elapsed() < 5000) Settle(5);
        const QString path = out + QString("/screenshot-animation-%1.png").arg(frame);
        if (!program.Frame().grab(left).save(path)) return false;
        std::printf("%s\n", qPrintable(path));
    }
    return true;
}

// The "Change System Icons" dialog as the System menu opens it; with an
// icon, after My Computer was replaced with it (as the dialog's Replace does).
bool SystemIcons(const QString& out, const QString& icon = {}) {
    Application program({QCoreApplication::applicationFilePath()});
    program.Show();
    Settle(300);
    bool saved = false;
    QTimer::singleShot(800, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            const QPixmap shot = dialog->grab();
            const QString name =
                icon.isEmpty() ? "/screenshot-sysicons.png" : "/screenshot-sysicons-replaced.png";
            saved = shot.save(out + name);
            std::printf("%s%s (%d x %d)\n", qPrintable(out), qPrintable(name), shot.width(),
                        shot.height());
            dialog->close();
        }
    });
    if (!icon.isEmpty()) {
        const EnvironmentLookup env = ProcessEnvironment();
        SilentUiServices ui;
        DesktopShell shell(env);
        FileRegistry registry(FileRegistry::DefaultPath(env), ui, [&](Registry& r) {
            SeedFromDesktopTheme(r, env, shell.IsTrashEmpty());
        });
        const std::string folder =
            std::filesystem::path(program.Space().Paths().SystemIconFile()).parent_path().string();
        CSysIconSet set(folder, registry, shell, ui);
        (void)set.BackupAll();
        if (!set.ReplaceItem(0, icon.toStdString() + ",0")) return false;
        if (!shell.ThemeError().empty()) std::fprintf(stderr, "%s\n", shell.ThemeError().c_str());
    }
    (void)program.View().Commands().Run(command::kReplaceSysIcons);
    return saved;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication qt(argc, argv);
    QCoreApplication::setOrganizationName("PictoformScreenshots");
    QCoreApplication::setApplicationName("Pictoform");
    QApplication::setWindowIcon(ProgramIcon());
    if (argc != 3) {
        std::fprintf(stderr, "usage: pictoform_screenshots ICON.ico OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[2]);
    {
        Application program({QCoreApplication::applicationFilePath()});
        program.Show();
        if (!Save(program, out + "/screenshot-start.png")) return 1;
    }
    if (!LayeredIcon(QString::fromLocal8Bit(argv[1]), out)) return 1;
    if (!SixteenColours(QString::fromLocal8Bit(argv[1]), out)) return 1;
    if (!Zoomed(QString::fromLocal8Bit(argv[1]), out)) return 1;
    if (!Animation(out)) return 1;
    return SystemIcons(out) && SystemIcons(out, QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
