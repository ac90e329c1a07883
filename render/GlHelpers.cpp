#include "GlHelpers.h"

#include "DigitBitmaps.h"
#include "TextureImage.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <cmath>

void flatRectangle(float x0, float y0, float x1, float y1, float z) {
    glBegin(GL_POLYGON);
    glVertex3f(x0, y0, z);
    glVertex3f(x1, y0, z);
    glVertex3f(x1, y1, z);
    glVertex3f(x0, y1, z);
    glEnd();
}

void circlePolygon(double radius, double step) {
    glBegin(GL_POLYGON);
    for (double u = radius; u >= -radius; u -= step)
        glVertex2d(u, std::sqrt(std::max(0.0, radius * radius - u * u)));
    for (double u = -radius; u <= radius; u += step)
        glVertex2d(u, -std::sqrt(std::max(0.0, radius * radius - u * u)));
    glEnd();
}

static void setTextureParameters() {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
}

int makeDigitTexture(int digit, const cv::Mat& image, float intensity, int colored) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const cv::Mat rgb = textureImage(image, intensity);
    if (!rgb.empty()) {
        glTexImage2D(GL_TEXTURE_2D, 0, 3, rgb.cols, rgb.rows, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     rgb.data);
    } else {
        const unsigned char* bitmap = digitBitmap(digit, colored);
        if (!bitmap) return 0;
        glTexImage2D(GL_TEXTURE_2D, 0, 3, kDigitBitmapSize, kDigitBitmapSize, 0, GL_RGB,
                     GL_UNSIGNED_BYTE, bitmap);
    }
    setTextureParameters();
    return 1;
}

void texturedQuad(float x0, float x1, float y0, float y1, float zRight, float zLeft) {
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_POLYGON);
    glTexCoord2f(0, 1);
    glVertex3f(x0, y0, zLeft);
    glTexCoord2f(1, 1);
    glVertex3f(x1, y0, zRight);
    glTexCoord2f(1, 0);
    glVertex3f(x1, y1, zRight);
    glTexCoord2f(0, 0);
    glVertex3f(x0, y1, zLeft);
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

int strokeText3D(float x, float y, float z, const char* text, float height, float maxWidth,
                 float r, float g, float b) {
    glPushAttrib(GL_COLOR_BUFFER_BIT);
    glColor3f(r, g, b);
    glPushMatrix();
    glTranslatef(x, y, z);
    const float s = height / 120;
    glScalef(s, s, s);
    int width = 0;
    for (const char* p = text; *p && width < maxWidth; p++) {
        width = (int)(glutStrokeWidth(GLUT_STROKE_ROMAN, *p) * s + width);
        if (width < maxWidth) glutStrokeCharacter(GLUT_STROKE_ROMAN, *p);
    }
    glPopMatrix();
    glPopAttrib();
    return width;
}

int strokeText(float x, float y, const char* text, float height, float maxWidth, float r,
               float g, float b) {
    return strokeText3D(x, y, 0, text, height, maxWidth, r, g, b);
}
