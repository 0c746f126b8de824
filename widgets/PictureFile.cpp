#include "widgets/PictureFile.h"

#include "platform/CodePage.h"
#include "platform/HostFolder.h"
#include "platform/SysColor.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QScreen>

namespace {

// Decoding stops at the memory of the largest picture the rules allow.
constexpr int kAllocationLimitMb = kMaxPictureSide * kMaxPictureSide * 4 / (1024 * 1024);

std::string UpperAscii(std::string text) {
    // Only ASCII letters change; a GBK trail byte can never follow the "."
    // of an extension, so double-byte names cannot produce a false match.
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return text;
}

bool FoundAfterFirstChar(const std::string& upperName, const char* extension) {
    return upperName.find(extension, 1) != std::string::npos;
}

bool ClimbsUp(const std::string& name) {
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type end = name.find('/', start);
        if (name.compare(start, end == std::string::npos ? end : end - start, "..") == 0)
            return true;
        if (end == std::string::npos)
            return false;
        start = end + 1;
    }
}

// The file the name stands for, or empty when the rules refuse it.
QString HostFile(const std::string& name) {
    if (name.empty() || ClimbsUp(name))
        return {};
    const std::string path = name[0] == '/' ? name : HostPath(name);
    const QFileInfo file(FromPath(path));
    const QString real = file.canonicalFilePath(); // empty when it does not exist
    const QString host = QFileInfo(FromPath(HostFolder())).canonicalFilePath();
    if (real.isEmpty() || host.isEmpty() || !real.startsWith(host + u'/'))
        return {};
    return QFileInfo(real).isFile() ? real : QString();
}

bool TooLarge(const QSize& size) {
    return size.width() > kMaxPictureSide || size.height() > kMaxPictureSide;
}

// Refuses a picture by the size its header states before decoding it, and
// bounds what decoding may allocate for formats that state none.
QImage ReadBounded(const QString& path, const char* format) {
    QImageReader reader(path, format);
    reader.setDecideFormatFromContent(format == nullptr);
    reader.setAllocationLimit(kAllocationLimitMb);
    if (TooLarge(reader.size()))
        return {};
    QImage image = reader.read();
    return TooLarge(image.size()) ? QImage() : image;
}

QRgb SysRgb(int index) {
    return ToQColor(GetSysColor(index)).rgb();
}

// Bitmap files keep their own size; the standard greys of button pictures
// take the desktop's 3D colours, so the pictures match the buttons around
// them.
QImage ReadBitmapFile(const QString& path) {
    QImage image = ReadBounded(path, "BMP");
    if (image.isNull())
        return {};
    image = image.convertToFormat(QImage::Format_RGB32);
    const std::pair<QRgb, QRgb> mappings[] = {{qRgb(128, 128, 128), SysRgb(COLOR_3DSHADOW)},
                                              {qRgb(192, 192, 192), SysRgb(COLOR_3DFACE)},
                                              {qRgb(223, 223, 223), SysRgb(COLOR_3DLIGHT)}};
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            for (const auto& [grey, colour] : mappings) {
                if (line[x] == grey) {
                    line[x] = colour;
                    break;
                }
            }
        }
    }
    return image;
}

// One side on the screen: a side whose file states its resolution is scaled
// from its physical size (hundredths of a millimetre) to the screen's
// logical resolution; one without keeps its pixels.
int ScreenSide(int pixels, int dotsPerMeter, int unstatedDotsPerMeter, qreal screenDpi) {
    if (dotsPerMeter <= 0 || dotsPerMeter == unstatedDotsPerMeter)
        return pixels;
    const int himetric = MulDiv(pixels, 100000, dotsPerMeter);
    return himetric < 0 ? -1 : MulDiv(himetric, qRound(screenDpi), 2540);
}

QSize ScreenSize(const QImage& image) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return image.size();
    const QImage unstated(1, 1, QImage::Format_RGB32);
    const int width = ScreenSide(image.width(), image.dotsPerMeterX(), unstated.dotsPerMeterX(),
                                 screen->logicalDotsPerInchX());
    const int height = ScreenSide(image.height(), image.dotsPerMeterY(), unstated.dotsPerMeterY(),
                                  screen->logicalDotsPerInchY());
    if (width < 0 || height < 0)
        return QSize(kMaxPictureSide + 1, kMaxPictureSide + 1);
    return QSize(width, height).expandedTo(QSize(1, 1));
}

// Icons, JPEG and GIF pictures, drawn at screen resolution over the fill.
QImage RenderPicture(const QString& path, COLORREF fill) {
    const QImage picture = ReadBounded(path, nullptr);
    if (picture.isNull())
        return {};
    const QSize size = ScreenSize(picture);
    if (TooLarge(size))
        return {};
    QImage bitmap(size,
                  fill == CLR_NONE ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    bitmap.fill(fill == CLR_NONE ? QColor(Qt::transparent) : ToQColor(fill));
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, size != picture.size());
    painter.drawImage(QRect(QPoint(0, 0), size), picture);
    painter.end();
    return bitmap;
}

// Every visible pixel of exactly the key colour loses its opacity.
QImage WithoutColour(const QImage& source, COLORREF key) {
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const QRgb keyRgb = ToQColor(key).rgb() & RGB_MASK;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x]) != 0 && (line[x] & RGB_MASK) == keyRgb)
                line[x] = 0;
    }
    return image;
}

} // namespace

EPictureKind PictureKind(const std::string& name) {
    const std::string upper = UpperAscii(name);
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

QImage LoadPicture(const std::string& name, COLORREF fill, COLORREF transparent) {
    const EPictureKind kind = PictureKind(name);
    if (kind == EPictureKind::None)
        return {};
    const QString path = HostFile(name);
    if (path.isEmpty())
        return {};
    QImage image = kind == EPictureKind::Bitmap ? ReadBitmapFile(path) : RenderPicture(path, fill);
    if (image.isNull() || transparent == CLR_NONE)
        return image;
    return WithoutColour(image, transparent);
}
