#pragma once

#include "seal/QrMatrix.h"

#include <QString>
#include <QStringView>
#include <memory>

class QPainter;
class QPdfWriter;
class QSaveFile;

// One PDF with a page per certificate, each page as the one-page export draws it (A4, no
// margins, 600 dpi). The file appears under its name only at commit(); until then it is a
// temporary file beside it, removed if the object goes away uncommitted.
class CombinedCertificatePdf
{
public:
    CombinedCertificatePdf();
    ~CombinedCertificatePdf();

    bool open(const QString& path, QString* error);
    // A page; with a code, the page carries the certificate's QR code.
    void addPage(QStringView body, const Seal::QrMatrix& code = {});
    int pageCount() const { return m_pages; }
    bool commit(QString* error);

private:
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<QPdfWriter> m_writer;
    std::unique_ptr<QPainter> m_painter;
    int m_pages = 0;
};
