// The program's textures as WebGL has them: each one's parameters and level-0 image, its pixels
// kept as the program gave them, so that a restored context gets every texture back. Names are
// the program's; index 0 is the default texture, as in OpenGL.
#pragma once

struct TextureImage {
    unsigned format; // GL_RGBA, GL_RGB, GL_LUMINANCE_ALPHA, GL_LUMINANCE or GL_ALPHA
    int width, height;
    int bytesPerPixel;
    int alignment; // of each row's start, in bytes, as GL_UNPACK_ALIGNMENT says
};

unsigned addTexture();
bool textureExists(unsigned name);

// The value of a filter or wrap parameter; null for any other parameter.
const int* textureParameter(unsigned name, unsigned parameter);
void setTextureParameter(unsigned name, unsigned parameter, int value);
// Keeps a copy of the pixels (null: an undefined image) and sends them.
void setTextureImage(unsigned name, const TextureImage& image, const void* pixels);
void makeTextureMipmaps(unsigned name);
// Has an image, and the levels its minifying filter samples.
bool textureComplete(unsigned name);

// Binds the texture for a draw, making its WebGL texture first if it has none.
void bindTextureForDraw(unsigned name);
// Every texture that WebGL had, made and sent again: for a restored context.
void resendTextures();
