#include "TagTestData.h"
#include "tags/MTECoverDecoder.h"
#include "tags/MTETagText.h"

#include <QBuffer>
#include <QtEndian>

#include <zlib.h>

#include <gtest/gtest.h>

using namespace TagTestData;

namespace {

// A small PNG whose header claims the given size.
QByteArray pngClaiming(quint32 width, quint32 height) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    makeCover(2, 2).save(&buffer, "PNG");
    // Signature (8), IHDR length and type (8), width, height; the CRC follows 13 data bytes.
    qToBigEndian(width, bytes.data() + 16);
    qToBigEndian(height, bytes.data() + 20);
    const auto* chunk = reinterpret_cast<const Bytef*>(bytes.constData() + 12);
    qToBigEndian(quint32(crc32(crc32(0, nullptr, 0), chunk, 17)), bytes.data() + 29);
    return bytes;
}

TEST(CoverDecoder, BigCoversFitAndTooBigOnesAreRefusedInWords) {
    const QString png = TestEnvironment::makeTempFolder() + QStringLiteral("/6000.png");
    ASSERT_TRUE(makeCover(6000, 6000).save(png, "PNG"));
    const QString wide = TestEnvironment::makeTempFolder() + QStringLiteral("/wide.jpg");
    ASSERT_TRUE(makeCover(300, 100).save(wide, "JPEG"));
    const struct {
        const char* name;
        QByteArray bytes;
        QSize size;
        const char* error;
        QSize fitInside = {};
    } cases[] = {
        {"6000 x 6000 PNG", fileBytes(png), QSize(6000, 6000), ""},
        {"20000 x 20000 PNG", pngClaiming(20000, 20000), QSize(0, 0), "is 20000 × 20000 pixels"},
        {"no picture", QByteArray("not a picture"), QSize(0, 0), "is no picture"},
        {"wide JPEG fitted", fileBytes(wide), QSize(80, 26), "", QSize(80, 80)},
        {"wide JPEG that fits", fileBytes(wide), QSize(300, 100), "", QSize(300, 300)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MTECoverDecoder::Result result = MTECoverDecoder::decodeBytes(c.bytes, c.fitInside);
        EXPECT_EQ(result.image.size(), c.size);
        EXPECT_TRUE(result.error.contains(QString::fromUtf8(c.error))) << qPrintable(result.error);
        EXPECT_EQ(result.error.isEmpty(), !result.image.isNull());
    }

    // The tag writer re-encodes such a cover as JPEG, at its own size.
    const TagLib::ByteVector jpeg = MTETagText::jpegBytesOfValue(fileBytes(png));
    ASSERT_TRUE(jpeg.startsWith(TagLib::ByteVector("\xFF\xD8", 2)));
    const QImage written =
        MTECoverDecoder::decodeBytes(QByteArray(jpeg.data(), qsizetype(jpeg.size()))).image;
    EXPECT_EQ(written.size(), QSize(6000, 6000));
}

} // namespace
