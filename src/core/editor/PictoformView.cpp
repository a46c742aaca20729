#include "editor/PictoformView.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <memory>
#include <new>

#include "editor/PictureImport.h"
#include "editor/ViewCommands.h"
#include "editor/ViewMouse.h"
#include "icon/PngCodec.h"
#include "icon/ProjectFile.h"
#include "icon/XcursorFile.h"
#include "image/RasterPrimitives.h"
#include "io/ByteReader.h"
#include "io/Limits.h"
#include "io/SafeFile.h"
#include "panels/PictureSizeDialog.h"

namespace pictoform {

namespace {

bool SameText(const std::string& a, const char* b) {
    const std::string other(b);
    return a.size() == other.size() &&
           std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool IsIconKind(const std::string& extension) {
    return SameText(extension, "ico") || SameText(extension, "cur") || SameText(extension, "ani");
}

bool IsModule(const std::string& extension) {
    return SameText(extension, "exe") || SameText(extension, "dll") || SameText(extension, "icl");
}

// The first bytes of a file, as many as there are of `count`.
std::vector<uint8_t> FileHead(const std::string& path, size_t count) {
    std::vector<uint8_t> head(count);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return {};
    head.resize(std::fread(head.data(), 1, head.size(), file));
    std::fclose(file);
    return head;
}

// Xcursor files go by their content: by custom their names have no ending.
bool IsXcursorFile(const std::string& path) {
    return IsXcursorData(FileHead(path, 4));
}

// So does a project whatever its name.
bool IsProjectFile(const std::string& path) {
    return IsProjectData(FileHead(path, 8));
}

void ShowError(UiServices& ui, const std::string& text) {
    ui.ShowMessage(text, "Error", MessageIcon::Error, MessageButtons::Ok);
}

// Why a file cannot be opened, in words first: the reader's own detail
// (a byte count, a chunk name) means little to whoever drew the icon.
std::string CannotOpen(const std::string& path, const CIconFile& engine) {
    if (!engine.LastErrorIsDamage()) return "Cannot open " + path + ": " + engine.LastError();
    return "Cannot open " + path + ": the file is damaged or incomplete (" + engine.LastError() +
           ").";
}

} // namespace

std::string FileExtension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return path.substr(dot + 1);
}

std::string WithoutExtension(const std::string& path) {
    const std::string extension = FileExtension(path);
    return extension.empty() ? path : path.substr(0, path.size() - extension.size() - 1);
}

CPictoformView::CPictoformView(Workspace& workspace)
    : m_workspace(workspace), m_mouse(std::make_unique<CViewMouse>(*this)),
      m_commands(std::make_unique<CViewCommands>(*this)) {
    m_overlay.pen = &workspace.Colours().GetPen();
    m_overlay.shadow = &workspace.Shadow();
    workspace.LayerPanel().SetEditedHook([this] { SetModified(true); });
}

CPictoformView::~CPictoformView() {
    m_workspace.LayerPanel().SetEditedHook({});
}

void CPictoformView::InitialUpdate(const std::string& documentPath) {
    if (!documentPath.empty() && OpenIconDocument(documentPath, FileExtension(documentPath))) {
        return;
    }
    // New starts afresh: an empty list, an untitled document.
    m_workspace.FormatList().RemoveAllFormats();
    m_path.clear();
    m_extension.clear();
    // A new icon has no project: saving it must not write over the last one.
    m_projectPath.clear();
    m_exportKind.clear();
    m_modified = false;
    m_animation = {};
    m_zoomedFormat = nullptr;
    AddDefaultFormat();
}

void CPictoformView::AddDefaultFormat() {
    auto format =
        std::make_unique<CIconFormat>(kBaseZoom / 48, 48, 48, kDepth32, m_workspace.Layers());
    (void)m_workspace.FormatList().AddFormat(std::move(format), false);
}

bool CPictoformView::OpenIconDocument(const std::string& path, const std::string& extension) {
    UiServices& ui = m_workspace.Ui();
    // The engine reads into its own list; the open icon is only replaced
    // once the whole file has been read and turned into formats.
    CIconFile engine(m_workspace.LoadedHotSpot());
    const bool module = IsModule(extension);
    // A picture is a new icon: saving it must not write an icon over it.
    const bool isPicture = IsPicture(path);
    if (isPicture) {
        PictureImport picture;
        if (!OpenPicture(path, picture)) return false;
        std::vector<IconImageRec> images;
        if (picture.FitsAsIs()) {
            images.push_back(picture.AsIs());
        } else if (!PictureRecords(picture, path, CPictureSizeDialog::Mode::ManySizes, images)) {
            return false;
        }
        return TakeImages(images, path, {}, {}, {});
    }
    if (SameText(extension, kProjectKind) || IsProjectFile(path)) return OpenProject(path);
    if (module) {
        const std::optional<int> index = ui.ChooseModuleIcon(path);
        if (!index) return false;
        if (!engine.LoadModuleIcon(path, *index)) {
            ShowError(ui, CannotOpen(path, engine));
            return false;
        }
    } else {
        // The file's headers tell what its formats would cost: one beyond the
        // budget is refused before any image is decoded.
        CIconFile listing;
        const std::string tooLarge =
            listing.ListIconFile(path) ? DocumentTooLarge(listing.Images()) : std::string();
        if (!tooLarge.empty()) {
            ShowError(ui, tooLarge);
            return false;
        }
        if (!engine.ReadIconFile(path)) {
            ShowError(ui, CannotOpen(path, engine));
            return false;
        }
    }
    // Saved again as the kind it is, whatever its name says.
    const std::string kind = module                             ? std::string()
                             : engine.IsXcursor()               ? std::string(kXcursorKind)
                             : IsIconKind(extension)            ? extension
                             : engine.FileType() == kIconType   ? std::string("ico")
                             : engine.FileType() == kCursorType ? std::string("cur")
                                                                : std::string("ani");
    return TakeImages(engine.Images(), path, engine.Animation(), module ? std::string() : path,
                      kind);
}

bool CPictoformView::TakeImages(std::span<const IconImageRec> images, const std::string& from,
                                AnimationInfo animation, const std::string& path,
                                const std::string& extension) {
    // What the formats will cost is counted before any is made: a small
    // file can hold many large images, or one image many times.
    const std::string tooLarge = DocumentTooLarge(images);
    if (!tooLarge.empty()) {
        ShowError(m_workspace.Ui(), tooLarge);
        return false;
    }
    std::vector<std::unique_ptr<CIconFormat>> formats;
    // An open names its layers from "Layer 1" again, but only once it succeeds.
    LayerCounter counter = m_workspace.Layers();
    bool made = false;
    try {
        made = CreateFormatsFromImages(images, counter, formats);
    } catch (const std::bad_alloc&) {
        // A machine with less memory than the budget: the open icon stays.
        ShowError(m_workspace.Ui(),
                  "Cannot open " + from + ": there is not enough memory to edit it.");
        return false;
    }
    if (!made || formats.empty()) {
        ShowError(m_workspace.Ui(),
                  "Cannot open " + from + ": it holds no image that can be edited.");
        return false;
    }
    m_workspace.Layers() = counter;
    ReplaceDocument(std::move(formats), std::move(animation), path, extension);
    return true;
}

void CPictoformView::ReplaceDocument(std::vector<std::unique_ptr<CIconFormat>> formats,
                                     AnimationInfo animation, const std::string& path,
                                     const std::string& extension) {
    m_animation = std::move(animation);
    // Another document is shown fitted, whatever its formats' addresses.
    m_zoomedFormat = nullptr;
    m_modified = false;
    m_path = path;
    m_extension = extension;
    m_projectPath = SameText(extension, kProjectKind) ? path : std::string();
    m_exportKind = SameText(extension, kProjectKind) ? std::string() : extension;
    m_workspace.FormatList().RemoveAllFormats();
    m_commands->DiscardCopyBuffer();
    for (auto& format : formats) {
        if (!m_workspace.FormatList().AddFormat(std::move(format), false)) break;
    }
}

bool CPictoformView::OpenProject(const std::string& path, bool recovered) {
    std::vector<uint8_t> bytes;
    std::string reason;
    ProjectDocument document;
    LayerCounter counter = m_workspace.Layers();
    bool read = false;
    try {
        read = ReadWholeFile(path, kMaxProjectFileBytes, bytes, reason) &&
               DecodeProject(bytes, counter, document, reason);
    } catch (const std::bad_alloc&) {
        reason = "there is not enough memory to edit it";
    }
    if (!read) {
        ShowError(m_workspace.Ui(), "Cannot open " + path + ": " + reason + ".");
        return false;
    }
    m_workspace.Layers() = counter;
    if (recovered) {
        const bool project = SameText(document.originKind, kProjectKind);
        ReplaceDocument(std::move(document.formats), std::move(document.animation),
                        document.originPath, document.originKind);
        m_projectPath = project ? document.originPath : std::string();
        SetModified(true);
    } else {
        ReplaceDocument(std::move(document.formats), std::move(document.animation), path,
                        kProjectKind);
    }
    // The kind it was last exported as.
    m_exportKind = document.kind;
    return true;
}

bool CPictoformView::OpenRecovered(const std::string& path) {
    return OpenProject(path, true);
}

bool CPictoformView::EncodeProjectFile(std::vector<uint8_t>& out, std::string& reason,
                                       bool recovery) {
    try {
        return EncodeProject(m_workspace.FormatList().ProjectRefs(), m_animation, m_exportKind, out,
                             reason, recovery ? m_path : std::string(),
                             recovery ? m_extension : std::string());
    } catch (const std::bad_alloc&) {
        reason = "there is not enough memory to write it";
        return false;
    }
}

bool CPictoformView::WriteProject(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string reason;
    const bool written =
        EncodeProjectFile(bytes, reason, false) && WriteFileAtomically(path, bytes, reason);
    if (!written) ShowError(m_workspace.Ui(), "Cannot save " + path + ": " + reason + ".");
    return written;
}

bool CPictoformView::SaveProject(const std::string& path) {
    if (!WriteProject(path)) return false;
    m_modified = false;
    m_path = path;
    m_extension = kProjectKind;
    m_projectPath = path;
    return true;
}

bool CPictoformView::PictureRecords(PictureImport& picture, const std::string& path,
                                    CPictureSizeDialog::Mode mode,
                                    std::vector<IconImageRec>& images) {
    const CIconFormat* current = m_workspace.CurrentFormat();
    const size_t slash = path.find_last_of('/');
    CPictureSizeDialog dialog(slash == std::string::npos ? path : path.substr(slash + 1),
                              picture.Info(), mode, current ? current->Width() : 0);
    if (!RunDialog(m_workspace.Dialogs().pictureSizes, dialog) || !dialog.CanAccept()) {
        return false;
    }
    for (const int side : dialog.Chosen()) {
        IconImageRec rec;
        std::string reason;
        if (!picture.Record(side, rec, reason)) {
            ShowError(m_workspace.Ui(), "Cannot open " + path + ": " + reason);
            return false;
        }
        images.push_back(std::move(rec));
    }
    return true;
}

bool CPictoformView::OpenPicture(const std::string& path, PictureImport& picture) {
    std::string reason;
    if (picture.Open(m_workspace.Pictures(), path, reason)) return true;
    ShowError(m_workspace.Ui(), "Cannot open " + path + ": " + reason);
    return false;
}

bool CPictoformView::NewIconFromPicture(const std::string& path) {
    PictureImport picture;
    std::vector<IconImageRec> images;
    return OpenPicture(path, picture) &&
           PictureRecords(picture, path, CPictureSizeDialog::Mode::ManySizes, images) &&
           TakeImages(images, path, {}, {}, {});
}

bool CPictoformView::ImportPicture(const std::string& path) {
    PictureImport picture;
    std::string reason;
    if (!picture.Open(m_workspace.Pictures(), path, reason)) {
        ShowError(m_workspace.Ui(), "Cannot open " + path + ": " + reason);
        return false;
    }
    std::vector<IconImageRec> images;
    if (!PictureRecords(picture, path, CPictureSizeDialog::Mode::OneSize, images)) return false;
    std::unique_ptr<CIconFormat> format =
        CreateFormatFromImage(images.front(), m_workspace.Layers());
    CPreviewDialog& list = m_workspace.FormatList();
    if (!format || !list.AddFormat(std::move(format), false)) {
        ShowError(m_workspace.Ui(), "Cannot import " + path + ": no format could be made of it.");
        return false;
    }
    // An animated cursor shows the new format as one more frame.
    AppendFrame(m_animation, static_cast<uint32_t>(list.Count() - 1));
    (void)list.SelectItem(list.Count() - 1);
    SetModified(true);
    return true;
}

bool CPictoformView::IsPicture(const std::string& path) {
    // The desktop's reader may know icons too; ours come first.
    const std::string extension = FileExtension(path);
    return !IsIconKind(extension) && !IsModule(extension) && !IsXcursorFile(path) &&
           IsPictureFile(m_workspace.Pictures(), path);
}

std::string CPictoformView::SaveKindOf(const std::string& path) {
    const std::string extension = FileExtension(path);
    return extension.empty() ? std::string(kXcursorKind) : extension;
}

bool CPictoformView::SaveIconDocument(const std::string& path, const std::string& kind) {
    if (SameText(kind, kProjectKind)) return SaveProject(path);
    std::vector<IconImageRec> list = m_workspace.FormatList().BuildSaveList();
    // Each format carries its own hot spot; one without is written at (0, 0).
    CIconFile engine;
    bool written = false;
    // The format commands keep the order of frames true; one that still
    // names a frame that is gone is dropped, and every frame shown once.
    AnimationInfo animation = m_animation;
    if (!SequenceFits(animation, list.size())) animation.sequence.clear();
    if (SameText(kind, "ico")) {
        written = engine.WriteIconFile(path, list, 0);
    } else if (SameText(kind, "cur")) {
        written = engine.WriteIconFile(path, list, kWriteCursor);
    } else if (SameText(kind, "ani")) {
        written = engine.WriteAnimatedCursor(path, list, kWriteCursor, animation);
    } else if (kind == kXcursorKind) {
        written = engine.WriteXcursorFile(path, list, animation);
    } else {
        // Writing nothing and calling the work saved would lose it at close.
        ShowError(m_workspace.Ui(), "Cannot save " + path +
                                        ": the name must end in .ico, .cur, .ani or .pfi, or "
                                        "have no ending for an Xcursor file.");
        return false;
    }
    if (!written) {
        ShowError(m_workspace.Ui(), "Cannot save " + path + ": " + engine.LastError());
        return false;
    }
    for (int i = 0; i < m_workspace.FormatList().Count(); ++i) {
        m_workspace.FormatList().Item(i).format->Final().FlattenOverWhite(false);
    }
    m_path = path;
    m_extension = kind;
    m_exportKind = kind;
    // The icon holds only the final pictures: the layers the project keeps
    // are saved with it, or the work stays unsaved.
    if (!m_projectPath.empty() && !WriteProject(m_projectPath)) return false;
    m_modified = false;
    return true;
}

CPictoformView::HotSpotPoint CPictoformView::HotSpot() const {
    const CIconFormat* format = m_workspace.CurrentFormat();
    if (!format || !format->CursorHotSpot()) return {};
    return {format->CursorHotSpot()->x, format->CursorHotSpot()->y};
}

void CPictoformView::SetHotSpot(HotSpotPoint hotSpot) {
    if (CIconFormat* format = m_workspace.CurrentFormat()) {
        format->SetCursorHotSpot(
            pictoform::HotSpot{static_cast<uint16_t>(hotSpot.x), static_cast<uint16_t>(hotSpot.y)});
    }
}

void CPictoformView::OnFileOpen() {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.filter = kOpenFilter + PictureFilter(m_workspace.Pictures());
    const std::optional<std::string> chosen = m_workspace.Ui().ChooseFile(request);
    if (chosen) (void)OpenIconDocument(*chosen, FileExtension(*chosen));
}

void CPictoformView::OnFileSave() {
    if (m_path.empty()) {
        OnFileSaveAs();
        return;
    }
    (void)SaveIconDocument(m_path, m_extension);
}

void CPictoformView::OnFileSaveAs() {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.filter = kSaveFilter;
    request.fileName = m_path.empty() ? std::string("Untitled") : WithoutExtension(m_path);
    request.filterIndex = SameText(m_extension, "cur")          ? 2
                          : SameText(m_extension, "ani")        ? 3
                          : m_extension == kXcursorKind         ? 4
                          : SameText(m_extension, kProjectKind) ? 5
                                                                : 1;
    const std::optional<std::string> chosen = m_workspace.Ui().ChooseFile(request);
    if (chosen) (void)SaveIconDocument(*chosen, SaveKindOf(*chosen));
}

bool CPictoformView::QueryClose() {
    if (!m_modified) return true;
    switch (m_workspace.Ui().ShowMessage("Save changes before closing?", "Pictoform",
                                         MessageIcon::Question, MessageButtons::YesNoCancel)) {
    case MessageAnswer::Yes:
        OnFileSave();
        // A save that failed or was cancelled keeps the work open.
        return !m_modified;
    case MessageAnswer::No:
        return true;
    default:
        return false;
    }
}

bool CPictoformView::IsOpenable(const std::string& path) {
    const std::string extension = FileExtension(path);
    return IsIconKind(extension) || IsModule(extension) || SameText(extension, kProjectKind) ||
           IsXcursorFile(path) || IsProjectFile(path) || IsPicture(path);
}

std::string CPictoformView::DocumentName() const {
    return m_path.empty() ? std::string("Untitled") : m_path;
}

std::string CPictoformView::Title() const {
    return DocumentName() + " - Pictoform";
}

void CPictoformView::Resize(int clientWidth, int clientHeight) {
    m_clientWidth = std::max(clientWidth, 1);
    m_clientHeight = std::max(clientHeight, 1);
    m_painter.Resize(m_clientWidth, m_clientHeight);
}

void CPictoformView::ZoomToFit() {
    m_zoom = 0;
    m_scrolled = false;
}

void CPictoformView::ZoomAbout(int zoom, int wx, int wy) {
    const ViewGeometry& g = m_geometry;
    if (g.canvasWidth == 0) return;
    zoom = std::clamp(zoom, ViewGeometry::kMinZoom, ViewGeometry::kMaxZoom);
    // The icon-pixel position under the point, which stays under it.
    const double ix = static_cast<double>(int64_t{wx} - g.originX) / g.zoom;
    const double iy = static_cast<double>(int64_t{wy} - g.originY) / g.zoom;
    m_zoom = zoom;
    m_scrolled = true;
    m_scrollX = SaturatingInt(std::floor(ix * zoom - wx));
    m_scrollY = SaturatingInt(std::floor(iy * zoom - wy));
}

std::vector<AnimationStep> CPictoformView::PlaySteps() const {
    const CPreviewDialog& list = m_workspace.FormatList();
    std::vector<int32_t> times;
    for (int i = 0; i < list.Count(); ++i) times.push_back(list.Item(i).format->FrameTime());
    return AnimationSteps(times, m_animation);
}

std::string CPictoformView::StatusText(std::optional<HotSpotPoint> pointer) const {
    const CIconFormat* format = m_workspace.CurrentFormat();
    if (!format || m_geometry.canvasWidth == 0) return {};
    std::string text = "Zoom " + std::to_string(m_geometry.zoom * 100) + "%";
    if (m_zoom == 0) text += " (fit)";
    if (!pointer) return text;
    const ViewPixel at = m_mouse->PixelUnder(pointer->x, pointer->y);
    if (at.x < 0 || at.y < 0 || at.x >= format->Width() || at.y >= format->Height()) return text;
    text += "   Pixel " + std::to_string(at.x) + ", " + std::to_string(at.y) + "   ";
    // The colour the file will hold, not the one laid over white on screen.
    const std::optional<PixelColor> c = format->PixelAsSaved(at.x, at.y);
    if (!c) return text + "transparent";
    char colour[40];
    std::snprintf(colour, sizeof colour, "#%02X%02X%02X alpha %d", c->red, c->green, c->blue,
                  c->alpha);
    return text + colour;
}

void CPictoformView::ScrollTo(int x, int y) {
    // Fitted stays fitted; only a canvas larger than the window moves.
    m_scrolled = true;
    m_scrollX = x;
    m_scrollY = y;
}

const CLayerImage& CPictoformView::Paint() {
    return Repaint(nullptr);
}

const CLayerImage& CPictoformView::PaintStep() {
    const std::optional<PixelRect> changed = m_mouse->Changed();
    return Repaint(changed ? &*changed : nullptr);
}

PaintScene CPictoformView::Scene() {
    PaintScene scene = m_overlay;
    scene.format = m_workspace.CurrentFormat();
    scene.currentLayer = m_workspace.CurrentLayer();
    scene.visibleLayers = m_workspace.LayerPanel().CollectVisibleLayers();
    scene.pen = &m_workspace.Colours().GetPen();
    scene.shadow = &m_workspace.Shadow();
    scene.zoom = m_zoom;
    scene.scrolled = m_scrolled;
    scene.scrollX = m_scrollX;
    scene.scrollY = m_scrollY;
    return scene;
}

const CLayerImage& CPictoformView::Repaint(const PixelRect* changed) {
    if (m_painter.Screen().IsNull()) Resize(m_clientWidth, m_clientHeight);
    // Every other format shown starts fitted.
    if (m_workspace.CurrentFormat() != m_zoomedFormat) {
        m_zoomedFormat = m_workspace.CurrentFormat();
        ZoomToFit();
    }
    PaintScene scene = Scene();
    m_geometry = changed ? m_painter.PaintChanged(scene, *changed) : m_painter.Paint(scene);
    if (m_scrolled) {
        m_scrollX = m_geometry.scrollX;
        m_scrollY = m_geometry.scrollY;
    }
    if (m_afterPaint) m_afterPaint();
    return m_painter.Screen();
}

} // namespace pictoform
