#pragma once
// The one way the system reads a picture file: button pictures, the images
// of trees and grids, pictures in forms and the bitmaps screens hold all come
// through LoadPicture, under one set of rules.
//
// Names. A relative name is taken below the host folder ("images/item.gif");
// a full path is read only when it lies there. A name with a ".." part gives
// no picture, and neither does one whose file, links followed, lies outside
// the host folder or is not a regular file (a device or a pipe).
//
// Kinds. The upper-cased name decides, first match winning, the text counting
// only after the first character, anywhere in the name: ".BMP", ".ICO",
// ".JPG" or ".JPEG", ".GIF"; "a.bmp.jpg" is a bitmap, "a.png" no picture. A
// bitmap is read as BMP at its own size, its greys 128, 192 and 223 turned
// into the desktop's 3D shadow, face and light colours. The other kinds are
// read by their content and drawn at the screen's resolution: a picture that
// states its physical size is scaled from it.
//
// Size. A picture larger than kMaxPictureSide pixels on either side, as the
// file's header states it before anything is decoded, or as it would be
// drawn on the screen, gives no picture. A few bytes stating a huge size or a
// tiny resolution therefore cost nothing.
//
// Colours. The parts the file itself leaves see-through take the fill colour
// (CLR_NONE: they stay see-through); then every pixel of exactly the
// transparent colour becomes see-through (CLR_NONE: none does).
#include "platform/Types.h"

#include <string>

class QImage;

// A colour that stands for none (and a bitmap's answer for "no pixel").
constexpr COLORREF CLR_NONE = 0xFFFFFFFF;

constexpr int kMaxPictureSide = 4096;

enum class EPictureKind { None, Bitmap, Icon, Jpeg, Gif };

EPictureKind PictureKind(const std::string& name);

// The picture of the name (a GBK name below the host folder, or a full path
// as path bytes, see FromPath), or a null image when the rules give none.
QImage LoadPicture(const std::string& name, COLORREF fill = CLR_NONE,
                   COLORREF transparent = CLR_NONE);
