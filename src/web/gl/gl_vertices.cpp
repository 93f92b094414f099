// glBegin/glEnd and the calls between them: each vertex put into eye coordinates as it arrives,
// with the texture coordinate and colour last given, and each primitive gathered into the batch
// of the state it is drawn under.
#include "platform.h"
#include "web/gl/batch.h"
#include "web/gl/gl_matrices.h"
#include "web/gl/gl_state.h"
#include "web/gl/report.h"
#include "web/gl/vertices.h"

namespace {

bool inPrimitive = false;
bool primitiveSupported = false;
PrimitiveShape shape = PrimitiveShape::Quads;
float texCoord[2] = {0.0f, 0.0f};
float color[3] = {1.0f, 1.0f, 1.0f};

bool supportedShape(GLenum mode) {
    if (mode == GL_QUADS || mode == GL_TRIANGLE_STRIP) {
        shape = mode == GL_QUADS ? PrimitiveShape::Quads : PrimitiveShape::TriangleStrip;
        return true;
    }
    reportUnsupported("glBegin: only GL_QUADS and GL_TRIANGLE_STRIP");
    return false;
}

} // namespace

void glBegin(GLenum mode) {
    inPrimitive = true;
    primitiveSupported = supportedShape(mode);
    if (!primitiveSupported) {
        return;
    }
    gatherUnder(currentDrawState(), projectionMatrix());
    beginGathering();
}

void glEnd() {
    if (inPrimitive && primitiveSupported && !endGathering(shape)) {
        reportUnsupported("more vertices in a frame than the layer gathers");
    }
    inPrimitive = false;
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    texCoord[0] = s;
    texCoord[1] = t;
}

void glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    color[0] = red;
    color[1] = green;
    color[2] = blue;
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (!inPrimitive || !primitiveSupported) {
        return;
    }
    GatheredVertex vertex{0, 0, 0, texCoord[0], texCoord[1], color[0], color[1], color[2]};
    float eye[3];
    transformPoint(modelViewMatrix(), x, y, z, eye);
    vertex.x = eye[0];
    vertex.y = eye[1];
    vertex.z = eye[2];
    gatherVertex(vertex);
}
