#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <memory>

class CertificateOfd;
class QSaveFile;

// One OFD document with a page per certificate, each page as the one-page export draws it. Like
// the combined PDF, the file is opened (under a temporary name beside it) at open(), so that a
// place that cannot be written is found before any certificate is made, and appears under its
// name only at commit(). The document names the companies of its pages as its author and keeps
// every page's certificate number.
class CombinedCertificateOfd
{
public:
    CombinedCertificateOfd();
    ~CombinedCertificateOfd();

    bool open(const QString& path, QString* error);
    void addPage(QStringView body, const QString& number, const QString& company);
    int pageCount() const;
    bool commit(QDate created, QString* error);

private:
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<CertificateOfd> m_document;
    QStringList m_numbers;
    QStringList m_companies;
};
