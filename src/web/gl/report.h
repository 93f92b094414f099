// The bottom of the browser's layer: every part of it may say here that plume asked for
// something the layer does not do, and this calls nothing of the layer back.
#pragma once

// Says once on the console, for each `what` (a string literal, told apart by its address).
void reportUnsupported(const char* what);
