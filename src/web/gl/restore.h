// A WebGL context that the browser takes away (a GPU reset, a driver update, too many tabs)
// comes back empty: no textures, buffers or program. What WebGL is given besides the draws and
// textures (the clear colour, the viewport, the clear) is kept here with them, and a restored
// context gets it all again, with the last frame drawn again, so that the picture returns even
// on a page whose frame is held still. The program runs on throughout, unaware.
#pragma once

// On the first context: the program and buffers.
void startWebGl();

// The colour goes with each clear.
void keepClearColor(float red, float green, float blue, float alpha);
void sendViewport(int x, int y, int width, int height);
void sendClear(unsigned mask);

void loseContext();
void restoreContext();
