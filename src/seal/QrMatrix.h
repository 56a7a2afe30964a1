#pragma once

#include <QByteArray>
#include <QList>

// A QR code as its modules, for every page writer to draw the same way: `size` x `size` dark
// or light modules, without the quiet zone (four light modules around it, which the drawer
// leaves free).
namespace Seal {

struct QrMatrix
{
    int version = 0;
    int size = 0;
    QList<bool> modules; // row by row, true = dark

    bool isNull() const { return size == 0; }
    bool dark(int x, int y) const { return modules.at(y * size + x); }
};

inline constexpr int kQuietZoneModules = 4;

// The bytes in byte mode at error-correction level M, in the smallest version that holds them;
// a null matrix when no version up to maxVersion does.
QrMatrix encodeQr(const QByteArray& bytes, int maxVersion = 10);

} // namespace Seal
