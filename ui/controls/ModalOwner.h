#pragma once

class QWidget;

namespace sp {

// The window a new window of ours stands over: the modal window in front, else the
// active one; none when the program has no window up.
QWidget* ModalOwner();

// The same window, on the screen and drawn: a window that Qt has shown but the desktop
// has not yet put up is waited for (a little while at most) and painted, so that a
// message never stands over an empty screen. The clerk's input waits too.
QWidget* ModalOwnerOnScreen();

}  // namespace sp
