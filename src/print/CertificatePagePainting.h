#pragma once

#include <QStringView>

class CertificatePageLayout;
class QPainter;

// Lays the page out over the whole paint area of the painter's device (a printer's printable
// area, a PDF page) at the device's own resolution, and draws it with the painter.
void PaintCertificatePage(QPainter& painter, CertificatePageLayout& layout, QStringView body);
