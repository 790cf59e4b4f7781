// The about window's logo: our own 102x51 picture, compiled in as the bytes of a progressive JPEG
// (data/logo.jpg, drawn by data/MakeLogo.cpp).
#pragma once

#include <span>

namespace kv {

std::span<const unsigned char> logoJpeg();

} // namespace kv
