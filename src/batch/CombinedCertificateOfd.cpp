#include "batch/CombinedCertificateOfd.h"

#include "print/CertificateOfdExport.h"

#include <QSaveFile>

CombinedCertificateOfd::CombinedCertificateOfd() = default;

CombinedCertificateOfd::~CombinedCertificateOfd()
{
    if (m_file) {
        m_file->cancelWriting();
    }
}

bool CombinedCertificateOfd::open(const QString& path, QString* error)
{
    m_file = std::make_unique<QSaveFile>(path);
    if (!m_file->open(QIODevice::WriteOnly)) {
        if (error) {
            *error = m_file->errorString();
        }
        m_file.reset();
        return false;
    }
    m_document = std::make_unique<CertificateOfd>();
    return true;
}

void CombinedCertificateOfd::addPage(QStringView body, const QString& number,
                                     const QString& company)
{
    if (!m_document) {
        return;
    }
    m_document->addPage(body);
    m_numbers << number;
    if (!company.isEmpty() && !m_companies.contains(company)) {
        m_companies << company;
    }
}

int CombinedCertificateOfd::pageCount() const
{
    return m_document ? m_document->pageCount() : 0;
}

bool CombinedCertificateOfd::commit(QDate created, QString* error)
{
    if (!m_file || !m_document) {
        if (error) {
            *error = QStringLiteral("OFD 文件没有打开");
        }
        return false;
    }
    const QByteArray bytes = m_document->package(
        CertificateOfdInfo{m_companies.join(QStringLiteral("、")), m_numbers, created}, error);
    bool ok = !bytes.isEmpty();
    if (ok && (m_file->write(bytes) != bytes.size() || !m_file->commit())) {
        if (error) {
            *error = m_file->errorString();
        }
        ok = false;
    }
    if (!ok) {
        m_file->cancelWriting();
    }
    m_file.reset();
    m_document.reset();
    return ok;
}
