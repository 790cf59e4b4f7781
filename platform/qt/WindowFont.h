// The window font "ＭＳ Ｐゴシック" at 12 pixels, mapped to an installed Japanese Gothic.
#pragma once

namespace kv {

// Makes the mapped font the application's default; call after the QApplication exists.
void installWindowFont();

} // namespace kv
