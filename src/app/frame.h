// The window, the three toolkit callbacks, start-up and the order of work in one frame.
#pragma once

#include <string>

constexpr int WINDOW_WIDTH = 640;
constexpr int WINDOW_HEIGHT = 480;
constexpr double FIELD_OF_VIEW_DEGREES = 65.0;
constexpr double NEAR_PLANE = 0.1;
constexpr double FAR_PLANE = 200.0;

// Hands the command line to the toolkit, opens the window and registers the callbacks.
void openWindow(int* argc, char** argv, int width, int height);

// Loads the textures (from `dataDirectory`, or the working directory when it is empty), creates
// the feathers, sets the start state, takes the clock's zero point and applies the projection.
void startScene(int width, int height, const std::string& dataDirectory = std::string());

void initScene(const std::string& dataDirectory = std::string());
void reshape(int width, int height);
void display();
void idle();

// Everything `display` draws after advancing the clock, up to but not including the swap.
void drawFrame();

// The sky phase of a frame: the cube under the camera's rotation alone, drawn without depth.
void drawSkyPass(float pitch, float roll);
