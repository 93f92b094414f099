#include "web/gl/vertices.h"

namespace {

GatheredVertex vertices[MAX_FRAME_VERTICES];
unsigned short indices[MAX_FRAME_INDICES];
int vertexCount = 0;
int indexCount = 0;
int primitiveStart = 0;
bool primitiveOverflowed = false;

void addTriangle(int a, int b, int c) {
    indices[indexCount++] = static_cast<unsigned short>(a);
    indices[indexCount++] = static_cast<unsigned short>(b);
    indices[indexCount++] = static_cast<unsigned short>(c);
}

// Each quad as two triangles about its first corner; corners past the last full quad are
// ignored, as OpenGL ignores them.
void addQuads(int first, int count) {
    for (int quad = first; quad + 3 < first + count; quad += 4) {
        addTriangle(quad, quad + 1, quad + 2);
        addTriangle(quad, quad + 2, quad + 3);
    }
}

// Without face culling a triangle's winding does not show, so each keeps the strip's order.
void addStrip(int first, int count) {
    for (int i = first; i + 2 < first + count; ++i) {
        addTriangle(i, i + 1, i + 2);
    }
}

} // namespace

const GatheredVertex* gatheredVertices() {
    return vertices;
}

const unsigned short* gatheredIndices() {
    return indices;
}

int gatheredVertexCount() {
    return vertexCount;
}

int gatheredIndexCount() {
    return indexCount;
}

void clearGathered() {
    vertexCount = indexCount = primitiveStart = 0;
    primitiveOverflowed = false;
}

void beginGathering() {
    primitiveStart = vertexCount;
    primitiveOverflowed = false;
}

bool gatherVertex(const GatheredVertex& vertex) {
    if (vertexCount == MAX_FRAME_VERTICES) {
        primitiveOverflowed = true;
        return false;
    }
    vertices[vertexCount++] = vertex;
    return true;
}

bool endGathering(PrimitiveShape shape) {
    if (primitiveOverflowed) {
        vertexCount = primitiveStart;
        return false;
    }
    const int count = vertexCount - primitiveStart;
    if (shape == PrimitiveShape::Quads) {
        addQuads(primitiveStart, count);
    } else {
        addStrip(primitiveStart, count);
    }
    return true;
}
