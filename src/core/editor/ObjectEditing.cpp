#include "editor/ObjectEditing.h"

#include "objects/ShadowRender.h"

namespace pictoform {

void StartObject(Workspace& /*workspace*/, CIconLayer& layer, std::unique_ptr<CPattern> object) {
    layer.SetActiveObject(std::move(object));
    if (HistoryChain* history = layer.History()) history->AppendObjectStart();
}

void RecordObject(Workspace& workspace, CIconLayer& layer, bool keepPixels) {
    HistoryChain* history = layer.History();
    HistoryStore* store = workspace.History();
    const CPattern* object = layer.ActiveObject();
    if (!history || !store || !object) return;
    (void)history->AppendObjectRecord(*object, keepPixels, *store);
}

void MergeActiveObject(Workspace& workspace, CIconFormat& format, CIconLayer& layer,
                       bool withShadow, bool recordMerge) {
    const CPattern* object = layer.ActiveObject();
    if (!object) return;
    RenderObject(*object, workspace.Colours().GetPen(), layer.Committed(), format.Composite(),
                 workspace.Shadow(), withShadow);
    layer.Committed().CopyTo(layer.Working());
    layer.DropActiveObject();
    HistoryChain* history = layer.History();
    if (!recordMerge || !history) return;
    history->DropObjectRecords();
    if (HistoryStore* store = workspace.History()) {
        (void)history->AppendLayerSnapshot(layer.Committed(), *store);
    }
}

void RemoveActiveObject(CIconLayer& layer) {
    if (!layer.ActiveObject()) return;
    layer.DropActiveObject();
    if (HistoryChain* history = layer.History()) history->DropObjectRecords();
    layer.Committed().CopyTo(layer.Working());
}

} // namespace pictoform
