#pragma once

// Tells the desktop which program the window belongs to, in the terms its window system uses:
// on X11 the window's class (which the menu entry's StartupWMClass names), its process and its
// icon. Called once, right after the window is created, with its context current; elsewhere the
// system takes these from the program's file or bundle, and it does nothing.
void setWindowIdentity();
