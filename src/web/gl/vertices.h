// A frame's primitives gathered for WebGL: every vertex already in eye coordinates with its own
// texture coordinate and colour, and every quad and strip turned into indexed triangles, in the
// order they were given. The frame's whole record is kept until the next clear, so that a
// restored context can draw it again. No OpenGL here.
#pragma once

struct GatheredVertex {
    float x, y, z; // eye coordinates
    float s, t;
    float r, g, b;
};

enum class PrimitiveShape { Quads, TriangleStrip };

// Sixteen-bit indices reach this far; plume's frame uses about an eighth of it.
constexpr int MAX_FRAME_VERTICES = 65536;
// A strip of n vertices makes n - 2 triangles and n quad corners 1.5 n, so 3 per vertex is room.
constexpr int MAX_FRAME_INDICES = 3 * MAX_FRAME_VERTICES;

// The frame so far: its vertices, and the triangles' indices into them.
const GatheredVertex* gatheredVertices();
const unsigned short* gatheredIndices();
int gatheredVertexCount();
int gatheredIndexCount();

// Forgets the frame: at a clear.
void clearGathered();
void beginGathering();
// False once the frame is full; the primitive under way is then dropped at its end.
bool gatherVertex(const GatheredVertex& vertex);
// Turns the vertices since beginGathering into triangles; false if the primitive was dropped.
bool endGathering(PrimitiveShape shape);
