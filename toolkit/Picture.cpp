#include "toolkit/Picture.h"

#include "platform/SysColor.h"
#include "toolkit/PictureQt.h"

#include <QColor>

struct CBitmap::Data {
    QImage image;
};

CBitmap::CBitmap() : m_data(std::make_unique<Data>()) {}
CBitmap::~CBitmap() = default;
CBitmap::CBitmap(const CBitmap& other) : m_data(std::make_unique<Data>(*other.m_data)) {}
CBitmap::CBitmap(CBitmap&& other) noexcept : m_data(std::make_unique<Data>()) {
    m_data->image.swap(other.m_data->image);
}

CBitmap& CBitmap::operator=(const CBitmap& other) {
    m_data->image = other.m_data->image;
    return *this;
}

CBitmap& CBitmap::operator=(CBitmap&& other) noexcept {
    m_data->image.swap(other.m_data->image);
    other.m_data->image = QImage();
    return *this;
}

bool CBitmap::IsNull() const {
    return m_data->image.isNull();
}

int CBitmap::Width() const {
    return m_data->image.width();
}

int CBitmap::Height() const {
    return m_data->image.height();
}

COLORREF CBitmap::GetPixel(int x, int y) const {
    const QImage& image = m_data->image;
    if (!image.valid(x, y))
        return CLR_NONE;
    QRgb pixel = image.pixel(x, y);
    if (qAlpha(pixel) == 0)
        return RGB(0, 0, 0);
    return FromQColor(QColor::fromRgb(pixel));
}

void CBitmap::DeleteObject() {
    m_data->image = QImage();
}

const QImage& BitmapImage(const CBitmap& bitmap) {
    return bitmap.m_data->image;
}

CBitmap BitmapFromImage(const QImage& image) {
    CBitmap bitmap;
    bitmap.m_data->image = image;
    return bitmap;
}

CBitmap LoadPictureBitmap(const std::string& path, COLORREF fill) {
    return BitmapFromImage(LoadPicture(path, fill));
}

CBitmapHolder::CBitmapHolder(COLORREF defaultFill) : m_defaultFill(defaultFill) {}

int CBitmapHolder::LoadFromFile(const std::string& path, COLORREF fill) {
    if (HasBitmap())
        return 0;
    m_bitmap = LoadPictureBitmap(path, fill == CLR_NONE ? m_defaultFill : fill);
    return HasBitmap() ? 1 : 0;
}
