#pragma once

#include "print/OfdPackage.h"
#include "seal/QrMatrix.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <memory>

// What the document says about itself beyond its pages.
struct CertificateOfdInfo
{
    QString company;     // the issuing company: the document's author
    QStringList numbers; // the certificate numbers of its pages, each kept as a custom datum
    QDate created;       // invalid: today
};

// The name under which each certificate number is kept in the document's information.
inline const QString kOfdNumberDatum = QStringLiteral("证明编号");

// An OFD document (GB/T 33190-2016) with a page per certificate, each page laid out exactly as
// the PDF export lays it out: the same layout on a device that measures as the PDF writer's,
// so every line breaks where the PDF's breaks, starts where it starts, and every character
// stands where the PDF puts it (TextCode with DeltaX from the laid-out glyph advances). The
// fonts are embedded cut down to the characters the pages use.
class CertificateOfd
{
public:
    CertificateOfd();
    ~CertificateOfd();
    CertificateOfd(const CertificateOfd&) = delete;
    CertificateOfd& operator=(const CertificateOfd&) = delete;

    // Lays out one more page: `body` is the certificate after its title, CR LF line breaks;
    // with a code, the page carries the certificate's QR code where the PDF's page has it.
    void addPage(QStringView body, const Seal::QrMatrix& code = {});
    int pageCount() const;

    // The document as it stands, its fonts cut down; false with a reason when a font cannot be.
    bool document(const CertificateOfdInfo& info, Ofd::Document* document, QString* error) const;

    // The document as the bytes of its package; empty with a reason when it cannot be made.
    QByteArray package(const CertificateOfdInfo& info, QString* error) const;

    // Writes the document to `path`, whole or not at all: the file is written beside it under a
    // temporary name and renamed at the end; whatever stood under the name before is left as
    // it was when anything fails. False with a reason in `error`.
    bool write(const QString& path, const CertificateOfdInfo& info, QString* error) const;

private:
    struct State;
    std::unique_ptr<State> d;
};

// One certificate as a one-page OFD file, the page the PDF export draws.
bool ExportCertificateOfd(const QString& path, QStringView body, const CertificateOfdInfo& info,
                          QString* error = nullptr, const Seal::QrMatrix& code = {});
