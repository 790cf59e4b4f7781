// Decodes a JPEG held in memory with libjpeg.
#pragma once

#include <QImage>

#include <span>

namespace kv {

// The picture as 24-bit RGB; a null image when the bytes are not a JPEG libjpeg can decode.
QImage decodeJpeg(std::span<const unsigned char> bytes);

} // namespace kv
