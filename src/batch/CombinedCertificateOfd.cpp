#include "batch/CombinedCertificateOfd.h"

#include "issue/StagedFile.h"
#include "print/CertificateOfdExport.h"

#include <QFile>

CombinedCertificateOfd::CombinedCertificateOfd() = default;

CombinedCertificateOfd::~CombinedCertificateOfd()
{
    if (m_file) {
        m_file.reset();
        m_staged->discard();
    }
}

bool CombinedCertificateOfd::open(StagedFile* file, QString* error)
{
    m_staged = file;
    m_file = file->create(error);
    if (!m_file) {
        return false;
    }
    m_document = std::make_unique<CertificateOfd>();
    return true;
}

void CombinedCertificateOfd::addPage(QStringView body, const QString& number,
                                     const QString& company, const Seal::QrMatrix& code)
{
    if (!m_document) {
        return;
    }
    m_document->addPage(body, code);
    m_numbers << number;
    if (!company.isEmpty() && !m_companies.contains(company)) {
        m_companies << company;
    }
}

int CombinedCertificateOfd::pageCount() const
{
    return m_document ? m_document->pageCount() : 0;
}

bool CombinedCertificateOfd::finish(QDate created, QString* error)
{
    if (!m_file || !m_document) {
        if (error) {
            *error = QStringLiteral("OFD 文件没有打开");
        }
        return false;
    }
    const QByteArray bytes = m_document->package(
        CertificateOfdInfo{m_companies.join(QStringLiteral("、")), m_numbers, created}, error);
    m_document.reset();
    if (bytes.isEmpty()) {
        m_file.reset();
        m_staged->discard();
        return false;
    }
    if (m_file->write(bytes) != bytes.size()) {
        if (error) {
            *error = m_file->errorString();
        }
        m_file.reset();
        m_staged->discard();
        return false;
    }
    return m_staged->finish(std::move(m_file), error);
}
