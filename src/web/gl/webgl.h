// What the layer asks of WebGL, one call each. The browser build sends them to the page's WebGL
// context (webgl.cpp); the desktop's tests record them instead. All that the layer keeps, decides
// and gives again to a restored context stands above these and reaches WebGL only through them.
// Names and values are OpenGL's (GL_TEXTURE_MIN_FILTER, GL_RGBA, GL_BLEND, ...).
#pragma once

#include "web/gl/vertices.h"

// The one program and the two buffers, sized for the fullest frame; on each new context.
void webglCreatePipeline();

unsigned webglCreateTexture();
void webglBindTexture(unsigned texture);
void webglTexParameter(unsigned parameter, int value);
// Level 0 of the bound texture, its rows `alignment` bytes aligned; null pixels leave the
// image undefined.
void webglTexImage(unsigned format, int width, int height, int alignment,
                   const unsigned char* pixels);
void webglGenerateMipmap();

// The state a draw is made under: GL_BLEND and GL_DEPTH_TEST, the blend function, whether the
// fragment shader samples the bound texture, and the projection (column-major).
void webglSetCapability(unsigned capability, bool on);
void webglBlendFunc(unsigned source, unsigned destination);
void webglSetTextured(bool textured);
void webglSetProjection(const float projection[16]);

// Writes the frame's vertices and indices from the first given on into their buffers, at the
// same places.
void webglUpload(int firstVertex, int vertexCount, int firstIndex, int indexCount,
                 const GatheredVertex* frameVertices, const unsigned short* frameIndices);
void webglDrawTriangles(int firstIndex, int indexCount);

void webglClear(unsigned mask, const float colour[4]);
void webglViewport(int x, int y, int width, int height);
