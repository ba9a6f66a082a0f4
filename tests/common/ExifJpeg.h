#pragma once
// A JPEG as a camera writes it when held sideways: the pixels as stored, and an Exif orientation tag
// saying how to turn them for display (Qt's own writer turns the pixels instead of tagging them).
#include <QBuffer>
#include <QImage>
#include <QImageWriter>

namespace ExifJpeg {

// orientation: the Exif value, e.g. 6 (turn a quarter right to show), 3 (half turn), 8 (quarter left).
inline QByteArray encode(const QImage& stored, int orientation, int quality = 90) {
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.write(stored);
    // APP1 "Exif": a big-endian TIFF header and one IFD entry, Orientation (0x0112), SHORT, 1 value.
    const char app1[] = "\xFF\xE1\x00\x22"
                        "Exif\x00\x00"
                        "MM\x00\x2A\x00\x00\x00\x08"
                        "\x00\x01"
                        "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x00\x00\x00"
                        "\x00\x00\x00\x00";
    QByteArray segment(app1, sizeof(app1) - 1);
    segment[4 + 6 + 8 + 2 + 9] = char(orientation);
    return jpeg.left(2) + segment + jpeg.mid(2); // right after the start-of-image marker
}

} // namespace ExifJpeg
