#pragma once

#include <QImage>

// The program icon at the given edge length: a certificate sheet with text lines and a red
// round seal on a rounded teal tile.
QImage PaintAppIcon(int size);
