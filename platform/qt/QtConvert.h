#pragma once
// Conversions between the platform's values and Qt's: program texts, single-byte characters,
// palette colours and indexed pictures.

#include "platform/Picture.h"

#include <QImage>
#include <QList>
#include <QString>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace platform {

// Program texts are UTF-8 where they are valid UTF-8, else single-byte Latin-1.
QString toQString(std::string_view text);

// A palette as a colour table of 256 entries, black past its end.
QList<QRgb> colourTable(std::span<const Rgb> palette);

// The character a single-byte code stands for: Windows-1252, whose 0x80-0x9F range differs
// from Latin-1. Unassigned codes give 0.
char32_t characterOf(unsigned char ch);

// Single-byte program text (the characters of the window's grid) as a string, and back;
// characters without a single-byte code become '?'.
QString fromSingleByte(std::string_view text);
std::string toSingleByte(const QString& text);

// An indexed picture as a Qt image whose colour table holds the palette exactly; a null image
// when the picture is empty or short of pixels.
QImage toImage(const IndexedPicture& picture);

} // namespace platform
