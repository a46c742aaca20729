#include "editor/ViewCommands.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

#include "colour/AdjustColorModel.h"
#include "colour/ColorAdjust.h"
#include "colour/FilterDialogModel.h"
#include "colour/ShadowOptionsDialog.h"
#include "editor/ObjectEditing.h"
#include "editor/PictoformView.h"
#include "editor/ViewMouse.h"
#include "icon/PngCodec.h"
#include "io/SafeFile.h"
#include "objects/CopiedPattern.h"
#include "objects/MaskedPattern.h"
#include "objects/TriPattern.h"
#include "panels/FrameTimeDialog.h"
#include "panels/NewFormatDialog.h"
#include "panels/SubdivideDialog.h"

namespace pictoform {

namespace {

CCopiedPattern* AsCopied(CPattern* object) {
    return dynamic_cast<CCopiedPattern*>(object);
}

// Masks, ellipses and both kinds of text.
CMaskedPattern* AsMasked(CPattern* object) {
    return dynamic_cast<CMaskedPattern*>(object);
}

constexpr const char* kMorphText = "&Morph";
constexpr const char* kCancelMorphText = "Cancel &Morph";

bool IsFilter(int id) {
    return id == command::kBrighten || id == command::kContrast || id == command::kInvert ||
           id == command::kGrayscale || id == command::kSaturation || id == command::kAdjustColor;
}

// Commands that change what a save would write. A press in the view marks
// the document modified; without these too, work done only through commands
// (an undo after saving, a filter, a new format) would be closed unasked.
bool ChangesTheIcon(int id) {
    switch (id) {
    case command::kUndo:
    case command::kRedo:
    case command::kCut:
    case command::kPaste:
    case command::kFlipVertical:
    case command::kFlipHorizontal:
    case command::kRemove:
    case command::kDeselect:
    case command::kNewFormat:
    case command::kNewBlankFormat:
    case command::kDeleteFormat:
    case command::kFormatUp:
    case command::kFormatDown:
    case command::kStoreAsPng:
    case command::kFrameTime:
        return true;
    default:
        return IsFilter(id);
    }
}

} // namespace

CViewCommands::CViewCommands(CPictoformView& view) : m_view(view) {}

CViewCommands::~CViewCommands() = default;

CIconLayer* CViewCommands::Layer() const {
    return m_view.Space().CurrentLayer();
}

CPattern* CViewCommands::ActiveObject() const {
    const CIconLayer* layer = Layer();
    return layer ? layer->ActiveObject() : nullptr;
}

bool CViewCommands::Run(int id) {
    m_declined = false;
    const bool ran = Dispatch(id);
    if (ran && ChangesTheIcon(id) && !m_declined) m_view.SetModified(true);
    return ran;
}

bool CViewCommands::Dispatch(int id) {
    Workspace& space = m_view.Space();
    CMultiColorPen& pen = space.Colours().GetPen();
    if (IsFilter(id)) {
        RunFilter(id);
        return true;
    }
    switch (id) {
    case command::kNew:
        // The desktop has asked whether to save before it sends New.
        m_view.InitialUpdate("");
        return true;
    case command::kOpen:
        m_view.OnFileOpen();
        return true;
    case command::kSave:
        m_view.OnFileSave();
        return true;
    case command::kSaveAs:
        m_view.OnFileSaveAs();
        return true;
    case command::kUndo:
    case command::kRedo:
        UndoRedo(id == command::kRedo);
        return true;
    case command::kCut:
        Cut();
        return true;
    case command::kCopy:
        Copy();
        return true;
    case command::kPaste:
        Paste();
        return true;
    case command::kCancel:
        Cancel();
        return true;
    case command::kSelectAll:
        SelectAll();
        return true;
    case command::kSetHotspot:
        m_view.Mouse().SetHotSpotMode(!m_view.Mouse().HotSpotMode());
        return true;
    case command::kGradientVertex:
        pen.SetGradientKind(kGradientVertex);
        return true;
    case command::kGradientLinear:
        pen.SetGradientKind(kGradientLinear);
        return true;
    case command::kGradientRadial:
        pen.SetGradientKind(kGradientRadial);
        return true;
    case command::kGradientRectangle:
        pen.SetGradientKind(kGradientRectangle);
        return true;
    case command::kShadowEnabled:
        pen.SetShadowEnabled(!pen.ShadowEnabled());
        return true;
    case command::kShadowOption:
        ShadowOption();
        return true;
    case command::kMorph:
        Morph();
        return true;
    case command::kFlipVertical:
    case command::kFlipHorizontal:
        Flip(id == command::kFlipVertical);
        return true;
    case command::kRemove:
        Remove();
        return true;
    case command::kDeselect:
        Deselect();
        return true;
    case command::kReplaceSysIcons:
        if (space.Dialogs().systemIcons) space.Dialogs().systemIcons();
        return true;
    case command::kInstallCursorTheme:
        InstallCursorTheme();
        return true;
    case command::kExportPng:
        ExportFormatPng();
        return true;
    case command::kNewFromPicture:
    case command::kImportPicture: {
        // The desktop has asked whether to save before it sends New Icon from Picture.
        FileDialogRequest request;
        request.kind = FileDialogRequest::Kind::Open;
        request.filter = PictureFilter(space.Pictures());
        const std::optional<std::string> path = space.Ui().ChooseFile(request);
        if (!path) return true;
        if (id == command::kNewFromPicture) {
            (void)m_view.NewIconFromPicture(*path);
        } else {
            (void)m_view.ImportPicture(*path);
        }
        return true;
    }
    case command::kZoomIn:
        m_view.ZoomTo(ViewGeometry::NextZoomIn(m_view.Geometry().zoom));
        return true;
    case command::kZoomOut:
        m_view.ZoomTo(ViewGeometry::NextZoomOut(m_view.Geometry().zoom));
        return true;
    case command::kZoomFit:
        m_view.ZoomToFit();
        return true;
    case command::kZoomActual:
        m_view.ZoomTo(1);
        return true;
    case command::kNewFormat:
    case command::kNewBlankFormat:
        NewFormat(id == command::kNewFormat);
        return true;
    case command::kDeleteFormat:
    case command::kFormatUp:
    case command::kFormatDown:
        ChangeFormatOrder(id);
        return true;
    case command::kStoreAsPng:
        if (CIconFormat* format = space.CurrentFormat()) {
            format->SetStoredAsPng(!format->StoredAsPng());
        }
        return true;
    case command::kFrameTime:
        if (CIconFormat* format = space.CurrentFormat()) {
            CFrameTimeDialog dialog(format->FrameTime());
            // A time beyond what the dialog shows stays unless another is typed.
            const int shown = dialog.Jiffies();
            if (RunDialog(space.Dialogs().frameTime, dialog) && dialog.Jiffies() != shown) {
                format->SetFrameTime(dialog.Jiffies());
            } else {
                m_declined = true;
            }
        }
        return true;
    default:
        return false;
    }
}

CommandUpdate CViewCommands::Update(int id) const {
    Workspace& space = m_view.Space();
    const CMultiColorPen& pen = space.Colours().GetPen();
    CPattern* object = ActiveObject();
    const bool floodFill = ToolOf(space.Tools().GetCurrentTool()) == ToolOf(kToolFloodFill);
    CommandUpdate update;
    if (IsFilter(id) || id == command::kCut || id == command::kCopy) {
        update.enabled = AsCopied(object) != nullptr;
        return update;
    }
    switch (id) {
    case command::kRemove:
    case command::kDeselect:
        update.enabled = object != nullptr;
        break;
    case command::kMorph:
        update.enabled = object != nullptr;
        update.text = object && object->MorphMode() ? kCancelMorphText : kMorphText;
        break;
    case command::kFlipVertical:
    case command::kFlipHorizontal:
        update.enabled = AsCopied(object) || AsMasked(object);
        break;
    case command::kGradientVertex:
        update.enabled = !floodFill;
        update.checked = pen.GradientKind() == kGradientVertex;
        break;
    case command::kGradientRectangle:
        update.enabled = !floodFill;
        update.checked = pen.GradientKind() == kGradientRectangle;
        break;
    case command::kGradientLinear:
        update.checked = pen.GradientKind() == kGradientLinear;
        break;
    case command::kGradientRadial:
        update.checked = pen.GradientKind() == kGradientRadial;
        break;
    case command::kShadowEnabled:
        update.checked = pen.ShadowEnabled();
        break;
    case command::kZoomIn:
        update.enabled = space.CurrentFormat() && m_view.Geometry().zoom < ViewGeometry::kMaxZoom;
        break;
    case command::kZoomOut:
        update.enabled = space.CurrentFormat() && m_view.Geometry().zoom > ViewGeometry::kMinZoom;
        break;
    case command::kFrameTime:
        update.enabled = space.CurrentFormat() != nullptr;
        break;
    case command::kZoomFit:
        update.enabled = space.CurrentFormat() != nullptr;
        update.checked = m_view.ZoomFitted();
        break;
    case command::kZoomActual:
        update.enabled = space.CurrentFormat() != nullptr;
        update.checked = !m_view.ZoomFitted() && m_view.Geometry().zoom == 1;
        break;
    case command::kStoreAsPng: {
        const CIconFormat* format = space.CurrentFormat();
        update.enabled = format && format->Depth() == kDepth32 && format->FitsABitmap();
        update.checked = format && format->StoredAsPng();
        break;
    }
    default:
        break;
    }
    return update;
}

void CViewCommands::Cancel() {
    CIconLayer* layer = Layer();
    if (!layer) return;
    layer->Committed().CopyTo(layer->Working());
    layer->StrokePoints().clear();
    layer->OutlinePoints().clear();
}

void CViewCommands::SelectAll() {
    Workspace& space = m_view.Space();
    CIconFormat* format = space.CurrentFormat();
    CIconLayer* layer = Layer();
    if (!format || !layer) return;
    // The old object lands in the layer as a press outside it would leave it,
    // history included: its records would otherwise stay in the chain with
    // nothing to apply them to, and undo could never get past them.
    MergeActiveObject(space, *format, *layer, true, true);
    auto object = std::make_unique<CCopiedPattern>();
    CLayerImage& committed = layer->Committed();
    if (!object->CreateFromSelection(committed, 0, 0, committed.Width(), committed.Height(),
                                     false)) {
        return;
    }
    committed.CopyTo(layer->Working());
    StartObject(space, *layer, std::move(object));
    // Its first pixels on record, so that undoing a later filter has a state to return to.
    RecordObject(space, *layer, true);
}

void CViewCommands::Copy() {
    CCopiedPattern* object = AsCopied(ActiveObject());
    if (!object) return;
    if (!m_copyBuffer.CloneFrom(object->Picture())) return;
    Clipboard* clipboard = m_view.Space().SystemClipboard();
    if (!clipboard) return;
    // Other programs get the icon-sized picture, opaque over white.
    CLayerImage small;
    if (!small.Create(m_copyBuffer.Width() / 3, m_copyBuffer.Height() / 3)) return;
    CLayerImage::Downsample3x(m_copyBuffer, nullptr, 0, small, false);
    small.FlattenOverWhite(false);
    clipboard->PutImage(small);
}

void CViewCommands::Cut() {
    CIconLayer* layer = Layer();
    if (!layer || !AsCopied(layer->ActiveObject())) return;
    Copy();
    // The object's records go with it, as with Remove: left in the chain they
    // would stop every later undo at their creation marker.
    RemoveActiveObject(*layer);
}

bool CViewCommands::TakeOutsidePicture(CLayerImage& tripled) const {
    Clipboard* clipboard = m_view.Space().SystemClipboard();
    if (!clipboard || clipboard->OwnsClipboard()) return false;
    CLayerImage picture;
    if (!clipboard->TakeImage(picture) || picture.IsNull()) return false;
    if (!tripled.Create(3 * picture.Width(), 3 * picture.Height())) return false;
    // The picture keeps its transparency: uncovered pixels take alpha 0,
    // which LoadPixels leaves empty. It reads its rows from the bottom up.
    IconImageRec rec = RecordOf(picture);
    for (size_t p = 0; p < rec.alpha.size(); ++p) {
        if (rec.mask[p] == 0) rec.alpha[p] = 0;
    }
    FlipRows(rec);
    tripled.LoadPixels(rec.colours.data(), rec.alpha.data(), rec.mask.data());
    return true;
}

void CViewCommands::Paste() {
    Workspace& space = m_view.Space();
    CIconFormat* format = space.CurrentFormat();
    CIconLayer* layer = Layer();
    if (!format || !layer) return;
    CLayerImage outside;
    const bool fromOutside = TakeOutsidePicture(outside);
    if (!fromOutside && m_copyBuffer.IsNull()) return;
    CLayerImage& picture = fromOutside ? outside : m_copyBuffer;
    // Merged without its shadow; recorded like any merge (see SelectAll).
    MergeActiveObject(space, *format, *layer, false, true);
    auto object = std::make_unique<CCopiedPattern>();
    if (!object->CreateFromSelection(picture, 0, 0, picture.Width(), picture.Height(), true)) {
        return;
    }
    StartObject(space, *layer, std::move(object));
    RecordObject(space, *layer, true);
    space.Colours().GetPen().SetShadowEnabled(false);
}

void CViewCommands::Remove() {
    if (CIconLayer* layer = Layer()) RemoveActiveObject(*layer);
}

void CViewCommands::Deselect() {
    Workspace& space = m_view.Space();
    CIconFormat* format = space.CurrentFormat();
    CIconLayer* layer = Layer();
    if (!format || !layer) return;
    MergeActiveObject(space, *format, *layer, true, true);
}

void CViewCommands::RunFilter(int id) {
    Workspace& space = m_view.Space();
    CIconLayer* layer = Layer();
    CCopiedPattern* object = layer ? AsCopied(layer->ActiveObject()) : nullptr;
    if (!object) return;
    CLayerImage& picture = object->Picture();
    bool changed = true;
    switch (id) {
    case command::kInvert:
        Invert(picture);
        break;
    case command::kGrayscale:
        Grayscale(picture);
        break;
    case command::kAdjustColor: {
        AdjustColorModel model(picture);
        changed = RunDialog(space.Dialogs().adjustColor, model);
        break;
    }
    default: {
        const FilterKind kind = id == command::kBrighten   ? FilterKind::Brighten
                                : id == command::kContrast ? FilterKind::Contrast
                                                           : FilterKind::Saturation;
        FilterDialogModel model(picture, kind);
        changed = RunDialog(space.Dialogs().filter, model);
        break;
    }
    }
    if (changed) RecordObject(space, *layer, true);
}

void CViewCommands::ShadowOption() {
    Workspace& space = m_view.Space();
    ShadowSettings& shadow = space.Shadow();
    CDSOPTDialog dialog(space.Ui(), shadow.OptionX(), shadow.OptionY(), shadow.Colour());
    if (RunDialog(space.Dialogs().shadowOptions, dialog)) {
        shadow.ApplyOptions(dialog.X(), dialog.Y(), dialog.Colour());
    }
}

void CViewCommands::Morph() {
    CPattern* object = ActiveObject();
    if (!object) return;
    if (!object->HasMorphGrid()) {
        if (dynamic_cast<CTriPattern*>(object)) {
            object->InitMorphGrid(0, 0);
        } else {
            CSubdivideDialog dialog;
            if (!RunDialog(m_view.Space().Dialogs().subdivide, dialog)) return;
            object->InitMorphGrid(dialog.Horizontal(), dialog.Vertical());
        }
        // A count the grid refuses (0, or more cells than a frame can show)
        // leaves no grid, and morph mode without one has no points to drag.
        if (!object->HasMorphGrid()) return;
    }
    object->SetMorphMode(!object->MorphMode());
}

void CViewCommands::Flip(bool vertical) {
    CPattern* object = ActiveObject();
    CLayerImage* picture = nullptr;
    if (CCopiedPattern* copied = AsCopied(object)) picture = &copied->Picture();
    if (CMaskedPattern* masked = AsMasked(object)) picture = &masked->Mask();
    if (!picture) return;
    if (vertical) {
        picture->FlipVertical();
    } else {
        picture->FlipHorizontal();
    }
}

void CViewCommands::UndoRedo(bool redo) {
    Workspace& space = m_view.Space();
    CIconLayer* layer = Layer();
    if (!layer) return;
    const CIconFormat* format = space.CurrentFormat();
    const bool softEdges = format && format->SoftEdges();
    (void)(redo ? layer->Redo(softEdges) : layer->Undo(softEdges));
}

void CViewCommands::InstallCursorTheme() {
    UiServices& ui = m_view.Space().Ui();
    if (m_view.Path().empty()) {
        ui.ShowMessage("A cursor theme is made of the cursors in the open cursor's folder (named "
                       "by its install.inf, or pointer.cur, busy.ani and so on). Save the cursor "
                       "into that folder first.",
                       "Install as Cursor Theme", MessageIcon::Information, MessageButtons::Ok);
        return;
    }
    if (m_view.Modified()) {
        switch (ui.ShowMessage("Save changes before installing?", "Pictoform",
                               MessageIcon::Question, MessageButtons::YesNoCancel)) {
        case MessageAnswer::Yes:
            m_view.OnFileSave();
            if (m_view.Modified()) return;
            break;
        case MessageAnswer::No:
            break;
        default:
            return;
        }
    }
    const std::string& path = m_view.Path();
    const size_t slash = path.find_last_of('/');
    if (m_view.Space().Dialogs().cursorTheme) {
        m_view.Space().Dialogs().cursorTheme(slash == std::string::npos ? "."
                                                                        : path.substr(0, slash));
    }
}

void CViewCommands::ExportFormatPng() {
    Workspace& space = m_view.Space();
    CPreviewDialog& formats = space.FormatList();
    const int selected = formats.SelectedIndex();
    if (selected < 0) return;
    const CIconFormat& format = *formats.Item(selected).format;
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.filter = "PNG Pictures (*.png)|*.png|";
    const std::string& name = m_view.Path();
    const std::string stem = name.empty() ? std::string("Untitled") : WithoutExtension(name);
    request.fileName = stem + "-" + std::to_string(format.Width()) + "x" +
                       std::to_string(format.Height()) + ".png";
    const std::optional<std::string> path = space.Ui().ChooseFile(request);
    if (!path) return;
    // The picture as it would be saved: composed, in its stored colours,
    // and below 32 bits either opaque or transparent.
    const std::vector<IconImageRec> list = formats.BuildSaveList();
    const IconImageRec& rec = list[static_cast<size_t>(selected)];
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!EncodePlanesPng(rec.width, rec.height, rec.colours,
                         rec.depth == kDepth32 ? std::span(rec.alpha) : std::span<const uint8_t>(),
                         rec.mask, bytes, reason) ||
        !WriteFileAtomically(*path, bytes, reason)) {
        space.Ui().ShowMessage("Cannot save " + *path + ": " + reason, "Error", MessageIcon::Error,
                               MessageButtons::Ok);
    }
}

void CViewCommands::NewFormat(bool copyCurrent) {
    Workspace& space = m_view.Space();
    CNewFmtDialog dialog(space.NewFormatChoices(), space.Ui());
    if (RunDialog(space.Dialogs().newFormat, dialog) &&
        space.FormatList().AddNewFormat(dialog.Result(), copyCurrent)) {
        AppendFrame(m_view.Animation(), static_cast<uint32_t>(space.FormatList().Count() - 1));
    } else {
        m_declined = true;
    }
}

void CViewCommands::ChangeFormatOrder(int id) {
    CPreviewDialog& formats = m_view.Space().FormatList();
    AnimationInfo& animation = m_view.Animation();
    const auto selected = static_cast<uint32_t>(formats.SelectedIndex());
    if (id == command::kDeleteFormat) {
        // Nothing takes a deleted format back; the last one is never deleted.
        const CIconFormat* format = formats.CurrentFormat();
        if (formats.Count() < 2 || !format) {
            m_declined = true;
            return;
        }
        const std::string question =
            "Delete the format " + FormatLabel(format->Width(), format->Height(), format->Depth()) +
            "?";
        if (m_view.Space().Ui().ShowMessage(question, "Pictoform", MessageIcon::Question,
                                            MessageButtons::YesNoDefaultNo) != MessageAnswer::Yes) {
            m_declined = true;
            return;
        }
    }
    // The animated cursor's order of frames follows the formats.
    if (id == command::kDeleteFormat && formats.DeleteFormat()) {
        RemoveFrame(animation, selected);
    } else if (id == command::kFormatUp && formats.MoveUp()) {
        SwapFrames(animation, selected, selected - 1);
    } else if (id == command::kFormatDown && formats.MoveDown()) {
        SwapFrames(animation, selected, selected + 1);
    } else {
        m_declined = true;
    }
}

} // namespace pictoform
