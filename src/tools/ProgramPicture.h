#pragma once

#include <QImage>

namespace quittora {

// The program's picture: a sheet with lines and a total under a seal with a
// "Q", on a rounded blue-green square. Drawn rather than loaded, so it needs
// no image file or plugin and stays sharp at any size (window icon,
// information window). Transparent outside the square.
QImage programPicture(int pixelSize);

} // namespace quittora
