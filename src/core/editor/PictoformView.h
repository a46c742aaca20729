#pragma once
// The editing view's logic: the open file's state (path, extension, the
// modified flag, the cursor's hot spot), opening and saving, the window
// title and the question before closing, and the canvas picture that the
// window shows. The toolkit's view widget only forwards to it and copies
// Screen() to the window.

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "editor/PictureImport.h"
#include "editor/ViewGeometry.h"
#include "editor/ViewPaint.h"
#include "editor/Workspace.h"
#include "image/LayerImage.h"
#include "panels/PictureSizeDialog.h"

namespace pictoform {

class CViewMouse;
class CViewCommands;

class CPictoformView {
public:
    static constexpr int kBaseZoom = 400;
    static constexpr const char* kOpenFilter =
        "Icon Files (*.ico, *.cur, *.ani)|*.ico;*.cur;*.ani|Pictoform project (*.pfi)|*.pfi|"
        "Programs(*.dll, *.exe)|*.dll;*.exe|Xcursor (*)|*|";
    static constexpr const char* kSaveFilter =
        "Icon Files (*.ico)|*.ico|Cursor Files (*.cur)|*.cur|Animated Cursors (*.ani)|*.ani|"
        "Xcursor (*)|*|Pictoform project (*.pfi)|*.pfi|";
    // The kind a document is saved as when it is an Xcursor file, which by
    // custom has no name ending.
    static constexpr const char* kXcursorKind = "xcursor";
    // The kind of Pictoform's own layered file.
    static constexpr const char* kProjectKind = "pfi";

    explicit CPictoformView(Workspace& workspace);
    CPictoformView(const CPictoformView&) = delete;
    CPictoformView& operator=(const CPictoformView&) = delete;
    ~CPictoformView();

    // The mouse tools and the edit commands work on this view.
    [[nodiscard]] CViewMouse& Mouse() { return *m_mouse; }
    [[nodiscard]] CViewCommands& Commands() { return *m_commands; }

    // Start-up and New: opens the named file, or (with no name, or when it
    // cannot be opened) starts with one 48 x 48 format of 32 bits.
    void InitialUpdate(const std::string& documentPath);

    // Replaces the open icon with the file's (a program's icon goes through
    // the icon viewer; a picture of at most 256 a side becomes a new,
    // untitled icon of one 32-bit format of its size, a larger one or a
    // drawing asks which sizes to make). A file that cannot be read is
    // reported with the reason and the open icon stays as it was.
    [[nodiscard]] bool OpenIconDocument(const std::string& path, const std::string& extension);
    // A new, untitled icon of the sizes the user picks from one picture.
    [[nodiscard]] bool NewIconFromPicture(const std::string& path);
    // One more format, at the size the user picks, made from a picture; it
    // becomes the current format.
    [[nodiscard]] bool ImportPicture(const std::string& path);
    // Whether File > Open (and a drop on the window) takes a file of this
    // name: icons, cursors, animated cursors, Xcursor files, programs and
    // pictures.
    [[nodiscard]] bool IsOpenable(const std::string& path);
    // A picture file (not an icon, cursor or program) that can be read.
    [[nodiscard]] bool IsPicture(const std::string& path);

    // Writes every format in the format list's order as an icon, cursor,
    // animated cursor or (kXcursorKind) Xcursor file, or (kProjectKind) the
    // whole layered document as a project. False, after telling the user,
    // when the file could not be written; the document then keeps its old
    // name. Exporting an icon kind leaves the project path as it was, and
    // saves the project there too, as it holds what the icon cannot.
    [[nodiscard]] bool SaveIconDocument(const std::string& path, const std::string& kind);
    // The kind a chosen name is saved as: its extension, or an Xcursor file
    // when it has none.
    [[nodiscard]] static std::string SaveKindOf(const std::string& path);

    // The File commands as the menu gives them.
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    // The question before the window closes; true when it may close.
    [[nodiscard]] bool QueryClose();

    [[nodiscard]] std::string Title() const;
    // The file's path, or "Untitled": what the title names.
    [[nodiscard]] std::string DocumentName() const;
    [[nodiscard]] const std::string& Path() const { return m_path; }
    // The project file the layered work was last opened from or saved to.
    [[nodiscard]] const std::string& ProjectPath() const { return m_projectPath; }
    // What Save writes: "ico", "cur", "ani" or kXcursorKind (or what the
    // name ended in, which Save refuses).
    [[nodiscard]] const std::string& Extension() const { return m_extension; }
    [[nodiscard]] bool Modified() const { return m_modified; }
    void SetModified(bool modified) {
        m_modified = modified;
        if (modified) ++m_changes;
    }
    // Counts the changes made since the program started, so that whoever
    // keeps a copy of the work knows when it is out of date.
    [[nodiscard]] uint64_t ChangeCount() const { return m_changes; }
    // The whole document as a project; a recovery copy also says where the
    // document came from.
    [[nodiscard]] bool EncodeProjectFile(std::vector<uint8_t>& out, std::string& reason,
                                         bool recovery = true);
    // Opens a recovery copy as the document it was, with its unsaved changes.
    [[nodiscard]] bool OpenRecovered(const std::string& path);
    struct HotSpotPoint {
        int x = 0;
        int y = 0;
    };
    // The current format's hot spot ((0, 0) when it has none); setting it
    // changes that format's alone.
    [[nodiscard]] HotSpotPoint HotSpot() const;
    void SetHotSpot(HotSpotPoint hotSpot);
    // The animated cursor's order of frames and names, as opened; saved
    // again with an animated cursor.
    [[nodiscard]] const AnimationInfo& Animation() const { return m_animation; }
    [[nodiscard]] AnimationInfo& Animation() { return m_animation; }
    void SetAnimation(AnimationInfo animation) { m_animation = std::move(animation); }
    // The formats as an animated cursor shows them: in the order of frames,
    // each for its time.
    [[nodiscard]] std::vector<AnimationStep> PlaySteps() const;

    // The window's client area changed size.
    void Resize(int clientWidth, int clientHeight);
    // Rebuilds the picture of the window from the current format; then the
    // listener (the format list's thumbnail and the preview) is told.
    const CLayerImage& Paint();
    // The same after a press, movement or release of the mouse: only what
    // that step changed is drawn again when the step knows what it changed.
    const CLayerImage& PaintStep();
    void SetAfterPaint(std::function<void()> listener) { m_afterPaint = std::move(listener); }
    [[nodiscard]] const CLayerImage& Screen() const { return m_painter.Screen(); }
    [[nodiscard]] const CLayerImage& Display() const { return m_painter.Display(); }
    // The window pixels the last repaint may have changed.
    [[nodiscard]] const PixelRect& Updated() const { return m_painter.Updated(); }
    [[nodiscard]] const ViewGeometry& Geometry() const { return m_geometry; }
    // Zoom and scroll. Every other format shown starts fitted to the window;
    // a chosen zoom keeps the icon pixel at the window point (the window's
    // middle for the keys) where it was.
    [[nodiscard]] bool ZoomFitted() const { return m_zoom == 0; }
    void ZoomToFit();
    void ZoomAbout(int zoom, int wx, int wy);
    void ZoomTo(int zoom) { ZoomAbout(zoom, m_clientWidth / 2, m_clientHeight / 2); }
    // The canvas point at the window's top-left corner; held to the canvas
    // at the next repaint.
    void ScrollTo(int x, int y);
    void ScrollBy(int dx, int dy) { ScrollTo(m_geometry.scrollX + dx, m_geometry.scrollY + dy); }

    // The status bar's words for a pointer at a window point (none: off the
    // window): the zoom, and over the format its icon pixel and the colour
    // the shown picture has there.
    [[nodiscard]] std::string StatusText(std::optional<HotSpotPoint> pointer) const;

    // What a repaint draws now: the current format with its layers shown,
    // the pen and the overlays, at the chosen zoom and scroll.
    [[nodiscard]] PaintScene Scene();

    // The overlays of a drag in progress, set by the mouse handling.
    [[nodiscard]] PaintScene& Overlay() { return m_overlay; }

    [[nodiscard]] Workspace& Space() { return m_workspace; }

private:
    void AddDefaultFormat();
    // The repaint, whole or (with changed) partial.
    const CLayerImage& Repaint(const PixelRect* changed);
    // Replaces the document with formats made from the images; `from` names
    // the file in an error.
    // A project file, opened as OpenIconDocument opens other files; a
    // recovery copy opens as the document it holds, modified.
    [[nodiscard]] bool OpenProject(const std::string& path, bool recovered = false);
    [[nodiscard]] bool SaveProject(const std::string& path);
    // Writes the project without changing what Save writes; false after
    // telling the user.
    [[nodiscard]] bool WriteProject(const std::string& path);
    // The open document gives way to these formats (read from `path`).
    void ReplaceDocument(std::vector<std::unique_ptr<CIconFormat>> formats, AnimationInfo animation,
                         const std::string& path, const std::string& extension);
    [[nodiscard]] bool TakeImages(std::span<const IconImageRec> images, const std::string& from,
                                  AnimationInfo animation, const std::string& path,
                                  const std::string& extension);
    // Reads the picture, or says why it cannot.
    [[nodiscard]] bool OpenPicture(const std::string& path, PictureImport& picture);
    // Asks which sizes to make and makes them; false when cancelled or failed.
    [[nodiscard]] bool PictureRecords(PictureImport& picture, const std::string& path,
                                      CPictureSizeDialog::Mode mode,
                                      std::vector<IconImageRec>& images);

    Workspace& m_workspace;
    std::string m_path;
    std::string m_extension;
    std::string m_projectPath;
    uint64_t m_changes = 0;
    // The icon kind the document was last opened or saved as, kept in its project.
    std::string m_exportKind;
    bool m_modified = false;
    AnimationInfo m_animation;
    int m_clientWidth = 0;
    int m_clientHeight = 0;
    CViewPainter m_painter;
    ViewGeometry m_geometry;
    PaintScene m_overlay;
    // The zoom chosen (0: fit) and the scroll asked for, for this format.
    const CIconFormat* m_zoomedFormat = nullptr;
    int m_zoom = 0;
    bool m_scrolled = false;
    int m_scrollX = 0;
    int m_scrollY = 0;
    std::function<void()> m_afterPaint;
    std::unique_ptr<CViewMouse> m_mouse;
    std::unique_ptr<CViewCommands> m_commands;
};

// "abc" for "x/y.abc": what follows the last dot of the file name, or "".
[[nodiscard]] std::string FileExtension(const std::string& path);
// "x/y" for "x/y.abc": the path without its extension and dot.
[[nodiscard]] std::string WithoutExtension(const std::string& path);

} // namespace pictoform
