// The GLUT program's window: the toolkit's window, its three callbacks and its caption. The
// tools and checks that draw as the program does open the same window.
#pragma once

// Hands the command line to the toolkit, opens the window, registers the callbacks and sends
// the clock's captions to the window's title.
void openWindow(int* argc, char** argv, int width, int height);

// One frame of the core, then the swap.
void display();
// Asks for the next frame at once: frames are drawn back to back.
void idle();
