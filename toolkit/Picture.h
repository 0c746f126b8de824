#pragma once
// Pictures for buttons and image lists: a picture file (BMP, ICO, JPEG, GIF)
// turned into a bitmap at screen resolution. Screens hold and pass bitmaps
// without seeing Qt; the widgets reach the image through PictureQt.h.
#include "platform/Types.h"

#include <memory>
#include <string>

class QImage;

// A fill colour that fills nothing (and CBitmap's answer for "no pixel").
constexpr COLORREF CLR_NONE = 0xFFFFFFFF;

enum class EPictureKind { None, Bitmap, Icon, Jpeg, Gif };

// Decided from the upper-cased path, first match winning: ".BMP", ".ICO",
// ".JPG" or ".JPEG", ".GIF". The text counts only after the first character,
// anywhere in the path, so "a.bmp.jpg" is a bitmap.
EPictureKind PictureKind(const std::string& path);

// A bitmap held by value; copies share the pixels until one is changed.
class CBitmap {
public:
    CBitmap();
    ~CBitmap();
    CBitmap(const CBitmap& other);
    CBitmap& operator=(const CBitmap& other);
    CBitmap(CBitmap&& other) noexcept;
    CBitmap& operator=(CBitmap&& other) noexcept;

    bool IsNull() const;
    explicit operator bool() const { return !IsNull(); }
    int Width() const;
    int Height() const;
    // The colour at (x, y); a fully transparent pixel reads as black, a
    // point outside the bitmap as CLR_NONE.
    COLORREF GetPixel(int x, int y) const;
    void DeleteObject();

private:
    friend const QImage& BitmapImage(const CBitmap& bitmap);
    friend CBitmap BitmapFromImage(const QImage& image);
    struct Data;
    std::unique_ptr<Data> m_data;
};

// The picture rendered at screen resolution over fill (CLR_NONE: no fill, the
// transparent parts stay transparent); a null bitmap when the path has none of
// the four kinds or the file cannot be read. A .BMP file is read as a bitmap
// at its own size, with its greys 128, 192 and 223 turned into the desktop's
// 3D shadow, face and light colours.
CBitmap LoadPictureBitmap(const std::string& path, COLORREF fill);

// Holds at most one bitmap, loaded over a default fill colour.
class CBitmapHolder {
public:
    explicit CBitmapHolder(COLORREF defaultFill);

    // 1 when the picture was loaded into the empty holder; 0 when the holder
    // already holds a bitmap (nothing changes) or the picture gives none.
    // CLR_NONE (-1) as fill means the holder's default fill.
    int LoadFromFile(const std::string& path, COLORREF fill = CLR_NONE);
    bool HasBitmap() const { return !m_bitmap.IsNull(); }
    const CBitmap& Bitmap() const { return m_bitmap; }
    COLORREF DefaultFill() const { return m_defaultFill; }
    // Empties the holder, so that it can load again.
    void DeleteObject() { m_bitmap.DeleteObject(); }

private:
    COLORREF m_defaultFill;
    CBitmap m_bitmap;
};
