// Drops the mouse press that is being delivered right now. A press gives the
// focus to the clicked control before the control sees the press; when the
// edit that lost the focus answers with a modal error box, the press is stale
// by the time the box is closed.
#pragma once

namespace MousePressSwallower {

void SwallowCurrentPress();

}  // namespace MousePressSwallower
