#pragma once
// Pictures as bitmaps that screens hold and pass without seeing Qt; the
// widgets reach the image through PictureQt.h. Which files give a picture,
// and at what size, is the picture loader's to say (widgets/PictureFile.h).
#include "platform/Types.h"
#include "widgets/PictureFile.h"

#include <memory>
#include <string>

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

// The picture of LoadPicture over fill (CLR_NONE: the see-through parts stay
// so); a null bitmap when the loader gives none.
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
