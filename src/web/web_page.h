// What the browser build asks of the page around its canvas.
#pragma once

#include <string>

// The value of `name` in the page address's query (`?time=2&step-ms=16`); false when absent.
bool pageParameter(const char* name, std::string& value);

// Tells the page that the pinned frame is drawn and will hold: data-frame="ready" on the
// document element, which a test waits for before it takes the picture.
void markFrameReady();

// Shows `text` in place of the canvas, for an address the program cannot follow, a context the
// browser does not give back, or shaders it does not take.
void showPageMessage(const char* text);
// The canvas again in place of the message, as it was.
void hidePageMessage();

// From now on the canvas fills the page's window at its pixel ratio, and follows it: the page
// calls `plumeResize` with each new drawing-buffer size.
void followPageWindow();

// Whether the page opens paused: its reader asked for reduced motion, or opened a moment.
bool pageStartsPaused();
// Tells the page the time, in seconds, of the picture it holds while paused, for sharing.
void showPageMoment(double seconds);
