#include "print/CertificatePagePainting.h"

#include "print/CertificatePageLayout.h"
#include "print/PainterCanvas.h"

#include <QPaintDevice>
#include <QPainter>

void PaintCertificatePage(QPainter& painter, CertificatePageLayout& layout, QStringView body)
{
    // A printer's and a PDF writer's painter starts at the top-left of the printable area, and
    // the device's size is that area's size in device units.
    const QPaintDevice* device = painter.device();
    layout.setPageRect(PageRect{0, 0, device->width(), device->height()});
    PainterCanvas canvas(painter);
    layout.draw(canvas, body);
}
