#pragma once
// The Qt side of CBitmap, for widgets that draw pictures.
#include "toolkit/Picture.h"

#include <QImage>

// The bitmap's image (a null image for a null bitmap).
const QImage& BitmapImage(const CBitmap& bitmap);
CBitmap BitmapFromImage(const QImage& image);
