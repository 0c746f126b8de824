#include "toolkit/Picture.h"

#include "platform/CodePage.h"
#include "platform/SysColor.h"
#include "toolkit/PictureQt.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QScreen>

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

namespace {

std::string UpperAscii(std::string text) {
    // Only ASCII letters change; a GBK trail byte can never follow the "."
    // of an extension, so double-byte names cannot produce a false match.
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

bool FoundAfterFirstChar(const std::string& upperPath, const char* extension) {
    return upperPath.find(extension, 1) != std::string::npos;
}

struct GreyMapping {
    QRgb grey;
    QRgb color;
};

QRgb SysRgb(int index) {
    return ToQColor(GetSysColor(index)).rgb();
}

// Bitmap files keep their own size; the standard greys of button pictures
// take the desktop's 3D colours, so the pictures match the buttons around
// them.
CBitmap LoadBitmapFile(const QString& path) {
    QImageReader reader(path, "BMP");
    QImage image = reader.read();
    if (image.isNull())
        return {};
    image = image.convertToFormat(QImage::Format_RGB32);
    const GreyMapping mappings[] = {{qRgb(128, 128, 128), SysRgb(COLOR_3DSHADOW)},
                                    {qRgb(192, 192, 192), SysRgb(COLOR_3DFACE)},
                                    {qRgb(223, 223, 223), SysRgb(COLOR_3DLIGHT)}};
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            for (const GreyMapping& mapping : mappings) {
                if (line[x] == mapping.grey) {
                    line[x] = mapping.color;
                    break;
                }
            }
        }
    }
    return BitmapFromImage(image);
}

int MulDiv(int number, int numerator, int denominator) {
    return int((qint64(number) * numerator + (denominator / 2)) / denominator);
}

// The picture's size on the screen: a file that states its resolution is
// scaled from its physical size (hundredths of a millimetre) to the screen's
// logical resolution; a file without one keeps its pixel size.
QSize ScreenSize(const QImage& image) {
    const QImage unstated(1, 1, QImage::Format_RGB32);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return image.size();
    QSize size = image.size();
    if (image.dotsPerMeterX() > 0 && image.dotsPerMeterX() != unstated.dotsPerMeterX()) {
        int himetric = MulDiv(image.width(), 100000, image.dotsPerMeterX());
        size.setWidth(MulDiv(himetric, qRound(screen->logicalDotsPerInchX()), 2540));
    }
    if (image.dotsPerMeterY() > 0 && image.dotsPerMeterY() != unstated.dotsPerMeterY()) {
        int himetric = MulDiv(image.height(), 100000, image.dotsPerMeterY());
        size.setHeight(MulDiv(himetric, qRound(screen->logicalDotsPerInchY()), 2540));
    }
    return size.expandedTo(QSize(1, 1));
}

// Icons, JPEG and GIF pictures are recognised by their content, drawn at
// screen resolution over the fill colour.
CBitmap RenderPicture(const QString& path, COLORREF fill) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    QImage picture = reader.read();
    if (picture.isNull())
        return {};
    QSize size = ScreenSize(picture);
    QImage bitmap(size,
                  fill == CLR_NONE ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    bitmap.fill(fill == CLR_NONE ? QColor(Qt::transparent) : ToQColor(fill));
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, size != picture.size());
    painter.drawImage(QRect(QPoint(0, 0), size), picture);
    painter.end();
    return BitmapFromImage(bitmap);
}

} // namespace

EPictureKind PictureKind(const std::string& path) {
    const std::string upper = UpperAscii(path);
    if (FoundAfterFirstChar(upper, ".BMP"))
        return EPictureKind::Bitmap;
    if (FoundAfterFirstChar(upper, ".ICO"))
        return EPictureKind::Icon;
    if (FoundAfterFirstChar(upper, ".JPG") || FoundAfterFirstChar(upper, ".JPEG"))
        return EPictureKind::Jpeg;
    if (FoundAfterFirstChar(upper, ".GIF"))
        return EPictureKind::Gif;
    return EPictureKind::None;
}

CBitmap LoadPictureBitmap(const std::string& path, COLORREF fill) {
    switch (PictureKind(path)) {
    case EPictureKind::None:
        return {};
    case EPictureKind::Bitmap:
        return LoadBitmapFile(FromPath(path));
    default:
        return RenderPicture(FromPath(path), fill);
    }
}

CBitmapHolder::CBitmapHolder(COLORREF defaultFill) : m_defaultFill(defaultFill) {}

int CBitmapHolder::LoadFromFile(const std::string& path, COLORREF fill) {
    if (HasBitmap())
        return 0;
    m_bitmap = LoadPictureBitmap(path, fill == CLR_NONE ? m_defaultFill : fill);
    return HasBitmap() ? 1 : 0;
}
