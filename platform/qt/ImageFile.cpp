#include "platform/ImageFile.h"

#include <QImage>
#include <QImageWriter>
#include <QString>

#include <cstring>

namespace platform {

bool writePngFile(const std::string& path, int width, int height, std::span<const uint8_t> indices,
                  std::span<const uint32_t> palette, std::string& error)
{
    if (width <= 0 || height <= 0 || indices.size() < std::size_t(width) * std::size_t(height) || palette.empty()) {
        error = "no picture to write";
        return false;
    }
    QImage image(width, height, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (uint32_t c : palette)
        table.append(qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)));
    image.setColorTable(table);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), indices.data() + std::size_t(y) * std::size_t(width), std::size_t(width));
    QImageWriter writer(QString::fromStdString(path), "png");
    if (!writer.write(image)) {
        error = writer.errorString().toStdString();
        return false;
    }
    return true;
}

} // namespace platform
