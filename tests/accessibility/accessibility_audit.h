// What a screen reader finds in a window, read through Qt's accessibility
// interface the way the desktop's bridge reads it: the controls a user can
// reach or read that come without a name, and the grids whose accessible
// table does not show the cells their model holds.
#pragma once

#include <string>
#include <vector>

class QWidget;

namespace korvalen::fixtures {

// One line per control of `window` (shown, enabled or not) that is named
// by nothing: "objectName (class)", or the nearest named parent for a
// control without an object name. Menu items, tab pages and the items of
// combo boxes count as controls; a label whose name leaves out the text it
// shows, and a combo box that no label names, are faults too.
std::vector<std::string> NamelessControls(QWidget* window);

// One line per shown item view of `window` whose accessible table is
// missing, has other rows or columns than its model, or gives a cell
// another text than the one it shows.
std::vector<std::string> TableFaults(QWidget* window);

// Both of the above; what the audit expects to be empty.
std::vector<std::string> AccessibilityFaults(QWidget* window);

}  // namespace korvalen::fixtures
