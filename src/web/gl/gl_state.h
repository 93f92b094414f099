// The capabilities and blend function as the program set them, with the bound texture: the
// state a primitive begun now is drawn under.
#pragma once

#include "web/gl/draws.h"

DrawState currentDrawState();
