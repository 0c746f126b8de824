#include "widgets/PictureFile.h"

#include "platform/CodePage.h"
#include "platform/HostFolder.h"
#include "platform/SysColor.h"
#include "tests/support/TestSupport.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Saves the image (8 x 8 blue when none) below the host folder as format;
// gives its name there.
std::string Save(const TempHostFolder& host, const std::string& name, const char* format,
                 QImage image = {}) {
    if (image.isNull()) {
        image = QImage(8, 8, QImage::Format_RGB32);
        image.fill(QColor(0, 0, 255));
    }
    EXPECT_TRUE(WriteFileBytes(host.Path(name), "")); // makes the folders
    EXPECT_TRUE(image.save(FromPath(host.Path(name)), format)) << name;
    return name;
}

COLORREF Pixel(const QImage& image, int x, int y) {
    return FromQColor(image.pixelColor(x, y));
}

} // namespace

TEST(PictureFile, TheFirstExtensionFoundAfterTheFirstCharacterChoosesTheLoader) {
    std::string kinds; // None, Bitmap, Icon, Jpeg, Gif
    for (const char* path : {"images/Item.gif", "a.bmp.jpg", "a.gif.ico", "a.jpeg.gif",
                             "images/item", "picture.png", ".gif"})
        kinds += "NBIJG"[int(PictureKind(path))];
    EXPECT_EQ(kinds, "GBIJNNN");

    // A bitmap's name is read as BMP only, the others by their content.
    TempHostFolder host;
    EXPECT_TRUE(LoadPicture(Save(host, "a.bmp.jpg", "JPEG")).isNull());
    EXPECT_TRUE(LoadPicture(Save(host, "a.png", "PNG")).isNull());
    EXPECT_EQ(Pixel(LoadPicture(Save(host, "图片.gif", "PNG")), 3, 3), RGB(0, 0, 255));
}

TEST(PictureFile, NamesAreTakenInTheHostFolderAndNeverLeadOutOfIt) {
    TempHostFolder outer; // the host folder is its folder "host"
    SetHostFolder(outer.Path("host"));
    const std::string host = outer.Path("host/");
    Save(outer, "host/images/in.gif", "PNG");
    const std::string up = outer.Path(Save(outer, "up.gif", "PNG"));
    ASSERT_EQ(symlink(up.c_str(), (host + "images/link.gif").c_str()), 0);
    ASSERT_EQ(symlink((host + "images/in.gif").c_str(), (host + "images/inner.gif").c_str()), 0);
    ASSERT_EQ(mkfifo((host + "images/pipe.gif").c_str(), 0600), 0);

    for (const std::string& readable :
         {std::string("images/in.gif"), host + "images/in.gif", std::string("images/inner.gif")})
        EXPECT_FALSE(LoadPicture(readable).isNull()) << readable;
    for (const std::string& refused :
         {up, std::string("../up.gif"), host + "images/../../up.gif",
          std::string("images/link.gif"), std::string("images/../images/in.gif"),
          std::string("images/pipe.gif"), std::string()})
        EXPECT_TRUE(LoadPicture(refused).isNull()) << refused;
}

TEST(PictureFile, BitmapGreysBecomeTheDesktop3DColours) {
    TempHostFolder host;
    const QRgb greys[] = {qRgb(128, 128, 128), qRgb(192, 192, 192), qRgb(223, 223, 223),
                          qRgb(192, 192, 191)};
    QImage image(4, 1, QImage::Format_RGB32);
    for (int x = 0; x < 4; ++x)
        image.setPixel(x, 0, greys[x]);
    const QImage bitmap = LoadPicture(Save(host, "grey.bmp", "BMP", image));
    const COLORREF expected[] = {GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DFACE),
                                 GetSysColor(COLOR_3DLIGHT), RGB(192, 192, 191)};
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(Pixel(bitmap, x, 0), expected[x]) << x;
}

TEST(PictureFile, APictureWithAPhysicalSizeIsScaledToTheScreenResolution) {
    TempHostFolder host;
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::green);
    image.setDotsPerMeterX(7559); // 192 dots per inch
    image.setDotsPerMeterY(7559);
    const QImage picture = LoadPicture(Save(host, "fine.jpg", "JPEG", image));
    const QScreen* screen = QGuiApplication::primaryScreen();
    EXPECT_EQ(picture.width(), qRound(40 * screen->logicalDotsPerInchX() / 192));
    EXPECT_EQ(picture.height(), qRound(20 * screen->logicalDotsPerInchY() / 192));
    EXPECT_NE(picture.width(), 40);
}

TEST(PictureFile, APictureTooLargeInPixelsOrOnTheScreenGivesNone) {
    TempHostFolder host;
    QImage wide(kMaxPictureSide, 1, QImage::Format_RGB32);
    wide.fill(Qt::red);
    EXPECT_EQ(LoadPicture(Save(host, "widest.bmp", "BMP", wide)).width(), kMaxPictureSide);
    wide = QImage(kMaxPictureSide + 1, 1, QImage::Format_RGB32);
    wide.fill(Qt::red);
    EXPECT_TRUE(LoadPicture(Save(host, "wider.bmp", "BMP", wide)).isNull());

    // Two pixels stated as two metres wide: some hundred bytes that would be
    // thousands of pixels on the screen.
    QImage tiny(2, 1, QImage::Format_RGB32);
    tiny.fill(Qt::red);
    tiny.setDotsPerMeterX(1);
    const std::string name = Save(host, "tiny.gif", "PNG", tiny);
    EXPECT_LT(ReadFileBytes(host.Path(name)).size(), 200u);
    EXPECT_TRUE(LoadPicture(name).isNull());
}

TEST(PictureFile, SeeThroughPartsTakeTheFillAndTheTransparentColourGoes) {
    TempHostFolder host;
    QImage image(3, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    image.setPixel(1, 0, qRgb(255, 255, 255));
    image.setPixel(2, 0, qRgb(255, 0, 0));
    const std::string name = Save(host, "mixed.gif", "PNG", image);

    const QImage filled = LoadPicture(name, RGB(0, 128, 0));
    EXPECT_EQ(filled.pixel(0, 0), qRgb(0, 128, 0));
    EXPECT_EQ(filled.pixel(1, 0), qRgb(255, 255, 255));
    const QImage keyed = LoadPicture(name, CLR_NONE, RGB(255, 255, 255));
    EXPECT_EQ(qAlpha(keyed.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(keyed.pixel(1, 0)), 0);
    EXPECT_EQ(keyed.pixel(2, 0), qRgb(255, 0, 0));
    // The colour is blue-green-red: RGB(255, 0, 0) is red, not blue.
    EXPECT_EQ(qAlpha(LoadPicture(name, CLR_NONE, RGB(255, 0, 0)).pixel(2, 0)), 0);
}
