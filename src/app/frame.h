// The scene's start-up, projection and the order of work in one frame: what every host (the GLUT
// program, the screen savers, the page) calls once it has a window and a current context.
#pragma once

#include <string>

constexpr int WINDOW_WIDTH = 640;
constexpr int WINDOW_HEIGHT = 480;
constexpr double FIELD_OF_VIEW_DEGREES = 65.0;
constexpr double NEAR_PLANE = 0.1;
constexpr double FAR_PLANE = 200.0;

// Loads the textures (from `dataDirectory`, or the working directory when it is empty), creates
// the feathers, sets the start state, takes the clock's zero point and applies the projection.
void startScene(int width, int height, const std::string& dataDirectory = std::string());

void initScene(const std::string& dataDirectory = std::string());
void reshape(int width, int height);

// A part of the window that shows the whole view at its own aspect ratio, such as one monitor's
// share of a window over several; in the window's pixels, from its bottom-left corner as OpenGL
// counts them.
struct FrameView {
    int x;
    int y;
    int width;
    int height;
};

// The view's viewport and projection: reshape's, at the view's place in the window.
void setView(const FrameView& view);

// Everything a frame draws after advancing the clock, up to but not including the swap, into the
// viewport that reshape left.
void drawFrame();

// The same frame shown whole in each of `count` views: the camera and the feathers move once,
// and every view shows them where they stood at the start of the frame. With no views, it is
// drawFrame.
void drawFrameViews(const FrameView* views, int count);

// The scene as it stands drawn again, nothing moved: a paused picture at a new size.
void drawHeldFrame();

// A frame's motion without its drawing (the camera's yaw and the feathers, by the clock's step):
// the frames before a moment someone shared, passed over to reach it.
void advanceScene();

// One frame: the clock advanced, then the frame drawn into the window's viewport, or into each of
// `count` views. The host presents it afterwards (a swap, or the end of a single buffer's work).
void stepFrame(const FrameView* views = nullptr, int count = 0);

// The sky phase of a frame: the cube under the camera's rotation alone, drawn without depth.
void drawSkyPass(float pitch, float roll);
