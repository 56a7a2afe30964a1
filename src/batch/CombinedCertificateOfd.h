#pragma once

#include "seal/QrMatrix.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <memory>

class CertificateOfd;
class QFile;
class StagedFile;

// One OFD document with a page per certificate, each page as the one-page export draws it. Like
// the combined PDF, it is written into a staged file, opened at open() so that a place that
// cannot be written is found before any certificate is made; the file appears under its name
// only when the staged file is put in place, after finish(). The document names the companies
// of its pages as its author and keeps every page's certificate number.
class CombinedCertificateOfd
{
public:
    CombinedCertificateOfd();
    ~CombinedCertificateOfd();

    bool open(StagedFile* file, QString* error);
    // A page; with a code, the page carries the certificate's QR code.
    void addPage(QStringView body, const QString& number, const QString& company,
                 const Seal::QrMatrix& code = {});
    int pageCount() const;
    // Packs the document and writes it whole to the staged file.
    bool finish(QDate created, QString* error);

private:
    StagedFile* m_staged = nullptr;
    std::unique_ptr<QFile> m_file;
    std::unique_ptr<CertificateOfd> m_document;
    QStringList m_numbers;
    QStringList m_companies;
};
