#pragma once
// What the mouse tools and the edit commands both do with a layer's floating
// object: start one, record it, merge it into the layer, remove it. One place
// for each, so that a merge by a press outside the object and by Deselect
// lay down exactly the same pixels and history.

#include <memory>

#include "editor/Workspace.h"
#include "icon/IconLayer.h"
#include "objects/Pattern.h"

namespace pictoform {

// Makes object the layer's active object (the old one goes) and marks its
// creation in the history.
void StartObject(Workspace& workspace, CIconLayer& layer, std::unique_ptr<CPattern> object);

// Records the active object's geometry (and its own pixels, for lifted or
// pasted pixels, when keepPixels). Nothing without an object or a history.
void RecordObject(Workspace& workspace, CIconLayer& layer, bool keepPixels);

// Renders the active object into the committed picture (with the drop shadow
// when withShadow and the pen's shadow switch is on, using the format's
// composite picture as scratch), shows the result in the working picture
// and deletes the object. With recordMerge, the object's records give way to
// one picture record of the merged layer. Nothing without an object.
void MergeActiveObject(Workspace& workspace, CIconFormat& format, CIconLayer& layer,
                       bool withShadow, bool recordMerge);

// Deletes the active object without rendering it, drops its records and
// shows the committed picture again.
void RemoveActiveObject(CIconLayer& layer);

} // namespace pictoform
