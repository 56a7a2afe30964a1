#include "seal/QrMatrix.h"

#include <qrencode.h>

namespace Seal {

QrMatrix encodeQr(const QByteArray& bytes, int maxVersion)
{
    QrMatrix matrix;
    QRcode* code = QRcode_encodeData(int(bytes.size()),
                                     reinterpret_cast<const unsigned char*>(bytes.constData()), 0,
                                     QR_ECLEVEL_M);
    if (code == nullptr) {
        return matrix;
    }
    if (code->version <= maxVersion) {
        matrix.version = code->version;
        matrix.size = code->width;
        matrix.modules.resize(qsizetype(code->width) * code->width);
        for (int i = 0; i < code->width * code->width; ++i) {
            matrix.modules[i] = (code->data[i] & 1) != 0; // bit 0: dark module
        }
    }
    QRcode_free(code);
    return matrix;
}

} // namespace Seal
