#include "batch/CombinedCertificatePdf.h"

#include "print/CertificatePageLayout.h"
#include "print/CertificatePagePainting.h"
#include "print/CertificatePdfExport.h"

#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

CombinedCertificatePdf::CombinedCertificatePdf() = default;

CombinedCertificatePdf::~CombinedCertificatePdf()
{
    if (m_painter && m_painter->isActive()) {
        m_painter->end();
    }
    m_painter.reset();
    m_writer.reset();
    if (m_file) {
        m_file->cancelWriting();
    }
}

bool CombinedCertificatePdf::open(const QString& path, QString* error)
{
    m_file = std::make_unique<QSaveFile>(path);
    if (!m_file->open(QIODevice::WriteOnly)) {
        if (error) {
            *error = m_file->errorString();
        }
        m_file.reset();
        return false;
    }
    m_writer = std::make_unique<QPdfWriter>(m_file.get());
    SetUpCertificatePdfWriter(*m_writer);
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_writer.get())) {
        if (error) {
            *error = QStringLiteral("无法开始绘制 PDF 页面");
        }
        m_painter.reset();
        m_writer.reset();
        m_file->cancelWriting();
        m_file.reset();
        return false;
    }
    return true;
}

void CombinedCertificatePdf::addPage(QStringView body, const Seal::QrMatrix& code)
{
    if (!m_painter) {
        return;
    }
    if (m_pages > 0) {
        m_writer->newPage();
    }
    CertificatePageLayout layout;
    layout.setVerificationCode(code);
    PaintCertificatePage(*m_painter, layout, body);
    ++m_pages;
}

bool CombinedCertificatePdf::commit(QString* error)
{
    if (!m_painter) {
        if (error) {
            *error = QStringLiteral("PDF 文件没有打开");
        }
        return false;
    }
    m_painter->end();
    m_painter.reset();
    m_writer.reset();
    const bool ok = m_file->commit();
    if (!ok && error) {
        *error = m_file->errorString();
    }
    m_file.reset();
    return ok;
}
