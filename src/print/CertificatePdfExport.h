#pragma once

#include "seal/QrMatrix.h"

#include <QString>
#include <QStringView>

class QIODevice;
class QPdfWriter;

// Writes the certificate page, drawn by the same layout as the printed page, as a one-page A4
// PDF at 600 dpi. The file appears under its name only when it is complete: it is written to a
// temporary file beside it and renamed at the end. Returns false with a reason in `error` when
// the file cannot be written; whatever stood under the name before is then left as it was.
// With a code, the page carries the certificate's QR code (see CertificatePageLayout).
bool ExportCertificatePdf(const QString& path, QStringView body, QString* error = nullptr,
                          const Seal::QrMatrix& code = {});

// The same page written to an open device (a file being staged); false with a reason in `error`
// when it cannot be drawn or written.
bool WriteCertificatePdf(QIODevice* device, QStringView body, QString* error = nullptr,
                         const Seal::QrMatrix& code = {});

inline constexpr int kPdfResolution = 600;

// Sets a PDF writer up for certificate pages: A4 portrait without margins at kPdfResolution,
// titled 离职证明, made by kavri. Every certificate PDF, and the device the OFD pages are
// measured on, is set up here.
void SetUpCertificatePdfWriter(QPdfWriter& writer);
