#pragma once

#include <string>

// The folder of the seven images, found from the hack's own file: the installed layout's (the
// hack in libexec/xscreensaver/, the images in share/plume/ under the same prefix), else the
// source tree's beside a build tree. Where neither holds them, the installed one, whose missing
// images leave their faces white.
std::string imageFolder();
