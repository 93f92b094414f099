// The current matrices of the layer's two stacks, as the matrix calls leave them.
#pragma once

#include "web/gl/matrices.h"

const Matrix4& modelViewMatrix();
const Matrix4& projectionMatrix();
