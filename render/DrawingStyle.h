// Colours, line widths and sizes of the board drawing.
#pragma once

struct DrawingParams {
    float thickLineColor[3] = {0.2f, 0.2f, 0.2f};
    float thickLineWidth = 3.0f;
    float thinLineColor[3] = {0.5f, 0.5f, 0.5f};
    float thinLineWidth = 1.0f;
    float boardColor[3] = {1.0f, 1.0f, 1.0f};
    float paneColor[3] = {1.0f, 1.0f, 1.0f};
    float tableColor[3] = {0.6f, 0.6f, 0.3f};
    float depthStep = 0.01f;
    float overviewCellSize = 0.4f;
    float overviewGap = 0.1f;
};

struct DrawingColors {
    float errorColored[3] = {1.0f, 0.0f, 0.0f};
    float errorBlackWhite[3] = {0.0f, 0.0f, 0.0f};
    float currentTileColored[3] = {0.0f, 1.0f, 0.0f};
    float currentTileBlackWhite[3] = {0.7f, 0.7f, 0.7f};
};

constexpr DrawingParams kDrawingParams{};
constexpr DrawingColors kMarkColors{};
