#pragma once

#include "seal/QrMatrix.h"

#include <QString>
#include <QStringView>
#include <memory>

class QFile;
class QPainter;
class QPdfWriter;
class QString;
class StagedFile;

// One PDF with a page per certificate, each page as the one-page export draws it (A4, no
// margins, 600 dpi), written into a staged file: the file appears under its name only when the
// staged file is put in place, after finish().
class CombinedCertificatePdf
{
public:
    CombinedCertificatePdf();
    ~CombinedCertificatePdf();

    bool open(StagedFile* file, QString* error);
    // A page; with a code, the page carries the certificate's QR code.
    void addPage(QStringView body, const Seal::QrMatrix& code = {});
    int pageCount() const { return m_pages; }
    // Ends the document and writes it whole to the staged file.
    bool finish(QString* error);

private:
    StagedFile* m_staged = nullptr;
    std::unique_ptr<QFile> m_file;
    std::unique_ptr<QPdfWriter> m_writer;
    std::unique_ptr<QPainter> m_painter;
    int m_pages = 0;
};
