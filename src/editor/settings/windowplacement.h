#pragma once

#include <QRect>

class QWidget;

// A top-level window's place as the placement record keeps it: left and top
// of the window's frame (the outer rectangle the window manager draws), width
// and height of its client area in the normal (not maximised) state, as Qt's
// saveGeometry() keeps them. Saved and restored this way the window comes back
// where it was, whatever the height of the title bar.
QRect SavedWindowPlace(const QWidget &window);
// Gives the window that place. Before the window manager has framed it, the
// frame's corner is handed to the window system as the frame's (X11 places
// the frame there through the window's gravity).
void RestoreWindowPlace(QWidget &window, const QRect &place);
