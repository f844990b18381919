// The software path's table of drawing operations and the routines it names.
#pragma once
#include "graphics/draw_ops.h"

// Screen (software_screen.cpp).
int OpenSoftwareScreen();
void ReleaseSoftwareScreen();
int ClearSoftwareScreen();
int PresentSoftwareScreen();
int ReadSoftwareScreenPixels(uint32_t* pixels);
int SetSoftwareDrawTarget(int32_t handle, GraphicRecord* graphic);
void SetSoftwareDrawRegion(const PixelRect& area);
void SoftwareBlendStateChanged();
void SetSoftwareBlendImage(GraphicRecord* graphic);

// Shapes (software_shapes.cpp).
int DrawSoftwareLine(int x1, int y1, int x2, int y2, uint32_t color);
int DrawSoftwareBox(int x1, int y1, int x2, int y2, uint32_t color, int filled);
int SubmitSoftwareVertices(const PolygonVertex* vertices, int count, int type, int texture, int flag);

// Graphics (software_graphics.cpp).
int CreateSoftwareGraphicImage(GraphicRecord* g);
int AttachSoftwareSubGraphic(GraphicRecord* g, const GraphicRecord* source, int x, int y);
void ReleaseSoftwareGraphicView(GraphicRecord* g);
void ReleaseSoftwareGraphicImage(GraphicImage* image);
int PaintSoftwareGraphic(GraphicRecord* g, int red, int green, int blue, int alpha);
int PutSoftwareGraphic(int x, int y, GraphicRecord* g, int useTransparency);
int PutSoftwareGraphicQuad(const float corners[4][2], GraphicRecord* g, int useTransparency);
int CopyToSoftwareGraphic(GraphicRecord* g, const PixelImage& source, const PixelImage* alpha, const PixelRect& rect,
                          int x, int y);
int ReadSoftwareGraphicPixels(GraphicRecord* g, uint32_t* argb);
int UploadSoftwareBlendImage(GraphicImage* image, const PixelRect& area);
void ReleaseSoftwareBlendImage(GraphicImage* image);

inline constexpr DrawOpsTable kSoftwareDrawOps = {
    OpenSoftwareScreen,
    ReleaseSoftwareScreen,
    ClearSoftwareScreen,
    PresentSoftwareScreen,
    ReadSoftwareScreenPixels,
    SetSoftwareDrawTarget,
    SetSoftwareDrawRegion,
    SoftwareBlendStateChanged,
    SetSoftwareBlendImage,
    DrawSoftwareLine,
    DrawSoftwareBox,
    SubmitSoftwareVertices,
    CreateSoftwareGraphicImage,
    AttachSoftwareSubGraphic,
    ReleaseSoftwareGraphicView,
    ReleaseSoftwareGraphicImage,
    PaintSoftwareGraphic,
    PutSoftwareGraphic,
    PutSoftwareGraphicQuad,
    CopyToSoftwareGraphic,
    ReadSoftwareGraphicPixels,
    UploadSoftwareBlendImage,
    ReleaseSoftwareBlendImage,
};
