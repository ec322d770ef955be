// Value fields and selectors as a screen reader meets them. A value field says what it is in
// its name and what it shows in its value and description; a selector keeps its own name
// (Qt's combo box would be named after its current entry), gives the entry as its value, and
// lists its entries (in the box and in its open popup) with the current one selected.
// The interfaces are found by the class names of the controls, so this file knows the controls
// by name only and they install it when the first of them is made.
#pragma once

// Installs the interfaces of the value fields and selectors; the first call does it, later
// calls do nothing.
void InstallAccessibleControls();
