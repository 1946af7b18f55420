// What a splitter dragged with the mouse does to the controls beside it.
#pragma once

#include <zeph/forms/Control.h>

namespace zeph::qtforms {

// Moves splitter by distance across its bar (sideways for an upright bar): the visible controls
// of its parent whose edges touch it grow and shrink with it, neither below the splitter's
// MinSize nor past its parent's edge. Nothing moves when no control touches it.
void DragSplitter(zeph::forms::Splitter& splitter, int distance);

} // namespace zeph::qtforms
