// The fixed-function matrix calls. Vertices are put into eye coordinates as they arrive, so the
// model-view matrix never reaches WebGL; the projection goes with each draw, and changing it
// first sends what was gathered under the old one.
#include "web/gl/gl_matrices.h"
#include "platform.h"
#include "web/gl/batch.h"
#include "web/gl/report.h"

namespace {

MatrixStack& freshStack(MatrixStack& stack) {
    resetStack(stack);
    return stack;
}

MatrixStack modelViewStorage;
MatrixStack projectionStorage;
MatrixStack& modelView = freshStack(modelViewStorage);
MatrixStack& projection = freshStack(projectionStorage);
MatrixStack* current = &modelView;

MatrixStack& changingStack() {
    if (current == &projection) {
        flushBatch();
    }
    return *current;
}

} // namespace

const Matrix4& modelViewMatrix() {
    return topMatrix(modelView);
}

const Matrix4& projectionMatrix() {
    return topMatrix(projection);
}

void glMatrixMode(GLenum mode) {
    if (mode == GL_MODELVIEW) {
        current = &modelView;
    } else if (mode == GL_PROJECTION) {
        current = &projection;
    } else {
        reportUnsupported("glMatrixMode: only GL_MODELVIEW and GL_PROJECTION");
    }
}

void glLoadIdentity() {
    topMatrix(changingStack()) = identityMatrix();
}

void glPushMatrix() {
    if (!pushMatrix(*current)) {
        reportUnsupported("glPushMatrix: the stack is full");
    }
}

void glPopMatrix() {
    if (!popMatrix(changingStack())) {
        reportUnsupported("glPopMatrix: the stack is empty");
    }
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    multiplyTop(changingStack(), translationMatrix(x, y, z));
}

void glRotatef(GLfloat degrees, GLfloat x, GLfloat y, GLfloat z) {
    multiplyTop(changingStack(), rotationMatrix(degrees, x, y, z));
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    multiplyTop(changingStack(), scalingMatrix(x, y, z));
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    multiplyTop(changingStack(), perspectiveMatrix(fovy, aspect, zNear, zFar));
}
