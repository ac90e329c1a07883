#include "VideoBackground.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <algorithm>
#include <vector>

namespace {

const int kTiles = 8;
const int kOverlap = 2;
const float kPlaneHalfSize = 100;

// The frame as it is, filling the window.
void drawPlain(const GameWindow& window) {
    const cv::Mat& video = window.videoImage;
    glViewport(0, 0, window.width, window.height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, video.cols, 0, video.rows, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glPushAttrib(GL_PIXEL_MODE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, (GLint)(video.step / video.elemSize()));
    glPixelZoom((float)window.width / video.cols, (float)window.height / video.rows);
    glRasterPos2i(0, 0);
    glDrawPixels(video.cols, video.rows, GL_RGB, GL_UNSIGNED_BYTE, video.data);
    glPopClientAttrib();
    glPopAttrib();
}

// The grid's pose without the tilt of the flipped view.
void loadPose(const GameWindow& window) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (window.poseFlag != 1) return;
    const float* t = window.translation;
    const float* a = window.rotationAxis;
    glTranslatef(t[0], t[1], -t[2]);
    glRotatef(-(window.rotationAngle * 57.29578f), a[0], a[1], -a[2]);
}

struct TileCorners {
    double x[4], y[4];
};

void drawReprojected(const GameWindow& window, FILE* out) {
    const cv::Mat& video = window.videoImage;
    const int w = window.width, h = window.height;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    if (video.cols / kTiles != w / kTiles && out)
        std::fprintf(out, "changed windowsize %d\n", w / kTiles);

    // The depth buffer takes the grid plane as the camera sees it.
    loadPose(window);
    glClear(GL_DEPTH_BUFFER_BIT);
    glPushAttrib(GL_CURRENT_BIT);
    glColor4f(0, 0, 0, 0);
    glBegin(GL_POLYGON);
    glVertex3f(-kPlaneHalfSize, -kPlaneHalfSize, 0);
    glVertex3f(kPlaneHalfSize, -kPlaneHalfSize, 0);
    glVertex3f(kPlaneHalfSize, kPlaneHalfSize, 0);
    glVertex3f(-kPlaneHalfSize, kPlaneHalfSize, 0);
    glEnd();
    glPopAttrib();

    // Where each window tile's corners lie on that plane.
    GLdouble modelView[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    std::vector<TileCorners> corners(kTiles * kTiles);
    for (int j = 0; j < kTiles; j++)
        for (int i = 0; i < kTiles; i++) {
            int xa, xb, ya, yb;
            videoTileSpan(w, i, &xa, &xb);
            videoTileSpan(h, j, &ya, &yb);
            // A window smaller than the tiles' overlap reads its own edge pixels.
            xa = std::max(xa, 0), ya = std::max(ya, 0), xb = std::max(xb, 0), yb = std::max(yb, 0);
            const int px[4] = {xa, xb, xb, xa}, py[4] = {ya, ya, yb, yb};
            TileCorners& c = corners[j * kTiles + i];
            for (int k = 0; k < 4; k++) {
                GLfloat depth = 1.0f;
                glReadPixels(px[k], py[k], 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
                double z;
                gluUnProject(px[k], py[k], depth, modelView, projection, viewport, &c.x[k],
                             &c.y[k], &z);
            }
        }

    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushAttrib(GL_TEXTURE_BIT | GL_ENABLE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    window.applyModelView();
    std::vector<unsigned char> buffer;
    for (int j = 0; j < kTiles; j++)
        for (int i = 0; i < kTiles; i++) {
            int x0, x1, y0, y1;
            videoTileSpan(video.cols, i, &x0, &x1);
            videoTileSpan(video.rows, j, &y0, &y1);
            const int tileWidth = x1 - x0 + 1, tileHeight = y1 - y0 + 1;
            buffer.resize((size_t)tileWidth * tileHeight * 3);
            for (int y = y0; y <= y1; y++)
                std::copy(video.ptr<unsigned char>(y) + 3 * x0, video.ptr<unsigned char>(y) + 3 * (x1 + 1),
                          buffer.begin() + (size_t)(y - y0) * tileWidth * 3);
            glTexImage2D(GL_TEXTURE_2D, 0, 3, tileWidth, tileHeight, 0, GL_RGB, GL_UNSIGNED_BYTE,
                         buffer.data());
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
            const TileCorners& c = corners[j * kTiles + i];
            const float s[4] = {0, 1, 1, 0}, t[4] = {0, 0, 1, 1};
            glEnable(GL_TEXTURE_2D);
            glBegin(GL_POLYGON);
            for (int k = 0; k < 4; k++) {
                glTexCoord2f(s[k], t[k]);
                glVertex3d(c.x[k], c.y[k], 0);
            }
            glEnd();
            glDisable(GL_TEXTURE_2D);
            glClear(GL_DEPTH_BUFFER_BIT);
        }
    glPopClientAttrib();
    glPopAttrib();
    glClear(GL_DEPTH_BUFFER_BIT);
}

}  // namespace

void videoTileSpan(int size, int i, int* first, int* last) {
    const int step = size / kTiles;
    *first = i * step - (i > 0 ? kOverlap : 0);
    *last = i == kTiles - 1 ? size - 1 : (i + 1) * step - 1;
}

void drawVideoBackground(const GameWindow& window, FILE* out) {
    const cv::Mat& video = window.videoImage;
    if (video.empty() || video.type() != CV_8UC3) return;
    // Before the first pose nothing tells where the grid plane lies, and a
    // picture narrower than the tiles' overlap has no tiles.
    if (window.flipMode == 0 || window.poseFlag != 1 || video.cols < kTiles * kOverlap ||
        video.rows < kTiles * kOverlap) {
        drawPlain(window);
    } else {
        drawReprojected(window, out);
    }
    window.applyProjection();
}
