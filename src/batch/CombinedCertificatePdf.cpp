#include "batch/CombinedCertificatePdf.h"

#include "issue/StagedFile.h"
#include "print/CertificatePageLayout.h"
#include "print/CertificatePagePainting.h"
#include "print/CertificatePdfExport.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>

CombinedCertificatePdf::CombinedCertificatePdf() = default;

CombinedCertificatePdf::~CombinedCertificatePdf()
{
    if (m_painter && m_painter->isActive()) {
        m_painter->end();
    }
    m_painter.reset();
    m_writer.reset();
    if (m_file) {
        m_file.reset();
        m_staged->discard();
    }
}

bool CombinedCertificatePdf::open(StagedFile* file, QString* error)
{
    m_staged = file;
    m_file = file->create(error);
    if (!m_file) {
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
        m_file.reset();
        m_staged->discard();
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

bool CombinedCertificatePdf::finish(QString* error)
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
    return m_staged->finish(std::move(m_file), error);
}
