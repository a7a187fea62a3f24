// SPDX-License-Identifier: GPL-3.0-or-later
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QSet>
#include <QString>

#include <gtest/gtest.h>

#include "resources/pictures.h"

namespace {

QImage load(const QString& path) {
    QImageReader reader{path};
    QImage image = reader.read();
    EXPECT_FALSE(image.isNull()) << path.toStdString() << ": "
                                 << reader.errorString().toStdString();
    return image;
}

// Distinct colours, transparency included, over every pixel.
qsizetype colourCount(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            colours.insert(argb.pixel(x, y));
        }
    }
    return colours.size();
}

bool inWindows16Palette(QRgb rgb) {
    static const QRgb palette[] = {
        0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xc0c0c0,
        0x808080, 0xff0000, 0x00ff00, 0xffff00, 0x0000ff, 0xff00ff, 0x00ffff, 0xffffff,
    };
    for (QRgb entry : palette) {
        if ((rgb & 0xffffff) == entry) {
            return true;
        }
    }
    return false;
}

void expectCorners(const QImage& image, QColor colour) {
    const int right = image.width() - 1;
    const int bottom = image.height() - 1;
    EXPECT_EQ(image.pixelColor(0, 0), colour);
    EXPECT_EQ(image.pixelColor(right, 0), colour);
    EXPECT_EQ(image.pixelColor(0, bottom), colour);
    EXPECT_EQ(image.pixelColor(right, bottom), colour);
}

TEST(Resources, GifIsReadable) {
    EXPECT_TRUE(QImageReader::supportedImageFormats().contains("gif"));
    EXPECT_TRUE(QImageReader::supportedImageFormats().contains("png"));
}

TEST(Resources, FilesAreInTheResourceTree) {
    for (const char* path : {":/resources/orvinta-32.png", ":/resources/orvinta-64.png",
                             ":/resources/satellite.gif", ":/resources/logo.gif"}) {
        EXPECT_TRUE(QFile::exists(QString::fromLatin1(path))) << path;
    }
}

TEST(Resources, PathFunctionsNameTheFiles) {
    using namespace orvinta::pictures;
    EXPECT_EQ(programIcon(), QStringLiteral(":/resources/orvinta-32.png"));
    EXPECT_EQ(programIconLarge(), QStringLiteral(":/resources/orvinta-64.png"));
    EXPECT_EQ(satellite(), QStringLiteral(":/resources/satellite.gif"));
    EXPECT_EQ(logo(), QStringLiteral(":/resources/logo.gif"));
}

TEST(Resources, IconIs32PixelsIn16Colours) {
    const QImage icon = load(orvinta::pictures::programIcon());
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_LE(colourCount(icon), 16);
    EXPECT_TRUE(icon.hasAlphaChannel());
    const QImage argb = icon.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb pixel = argb.pixel(x, y);
            const int alpha = qAlpha(pixel);
            EXPECT_TRUE(alpha == 0 || (alpha == 255 && inWindows16Palette(pixel)))
                << "pixel " << x << "," << y;
        }
    }
}

TEST(Resources, LargeIconIsTheSmallOneDoubled) {
    const QImage small =
        load(orvinta::pictures::programIcon()).convertToFormat(QImage::Format_ARGB32);
    const QImage large =
        load(orvinta::pictures::programIconLarge()).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(large.size(), QSize(64, 64));
    EXPECT_EQ(large.scaled(32, 32), small);
}

TEST(Resources, SatelliteIsLineArtOnSilver) {
    const QImage satellite = load(orvinta::pictures::satellite());
    EXPECT_EQ(satellite.size(), QSize(222, 314));
    expectCorners(satellite, QColor(192, 192, 192));
    EXPECT_EQ(colourCount(satellite), 2);
}

TEST(Resources, LogoIsBlackOnLightGrey) {
    const QImage logo = load(orvinta::pictures::logo());
    EXPECT_EQ(logo.size(), QSize(236, 127));
    expectCorners(logo, QColor(220, 220, 220));
    const QImage argb = logo.convertToFormat(QImage::Format_ARGB32);
    bool hasBlack = false;
    for (int y = 0; y < argb.height() && !hasBlack; ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            if ((argb.pixel(x, y) & 0xffffff) == 0) {
                hasBlack = true;
                break;
            }
        }
    }
    EXPECT_TRUE(hasBlack);
}

} // namespace
