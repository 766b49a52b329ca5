#include "platform/qt/QtConvert.h"

#include <QStringDecoder>

#include <algorithm>

namespace platform {

QString toQString(std::string_view text)
{
    QByteArrayView bytes(text.data(), qsizetype(text.size()));
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString s = decoder(bytes);
    if (decoder.hasError())
        return QString::fromLatin1(bytes);
    return s;
}

namespace {

// The characters of the single-byte codes 0x80 to 0x9F (Windows-1252); 0 where unassigned.
constexpr char16_t HighCharacters[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                         0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

char32_t characterOf(unsigned char ch)
{
    if (ch >= 0x80 && ch < 0xA0)
        return HighCharacters[ch - 0x80];
    return ch;
}

QString fromSingleByte(std::string_view text)
{
    QString out;
    out.reserve(qsizetype(text.size()));
    for (unsigned char ch : text) {
        char32_t c = characterOf(ch);
        out.append(c ? QChar(char16_t(c)) : QChar(u'?'));
    }
    return out;
}

std::string toSingleByte(const QString& text)
{
    std::string out;
    out.reserve(std::size_t(text.size()));
    for (QChar qc : text) {
        char16_t c = qc.unicode();
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
            out.push_back(char(c));
            continue;
        }
        char code = '?';
        for (int i = 0; i < 32; ++i)
            if (HighCharacters[i] == c && c != 0)
                code = char(0x80 + i);
        out.push_back(code);
    }
    return out;
}

QList<QRgb> colourTable(std::span<const Rgb> palette)
{
    QList<QRgb> table(256, qRgb(0, 0, 0));
    for (std::size_t i = 0; i < std::min<std::size_t>(256, palette.size()); ++i)
        table[qsizetype(i)] = qRgb(palette[i].red, palette[i].green, palette[i].blue);
    return table;
}

QImage toImage(const IndexedPicture& picture)
{
    if (picture.width <= 0 || picture.height <= 0
        || picture.pixels.size() < std::size_t(picture.width) * std::size_t(picture.height))
        return {};
    QImage image(picture.width, picture.height, QImage::Format_Indexed8);
    if (image.isNull())
        return {};
    image.setColorTable(colourTable(picture.palette));
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(picture.pixels.data() + std::size_t(y) * std::size_t(picture.width), picture.width,
                    image.scanLine(y));
    return image;
}

} // namespace platform
