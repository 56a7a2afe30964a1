#include "OfdRenderer.h"

#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>

#include <cmath>

QImage RenderOfdPage(const OfdRead::Archive& archive, const OfdRead::Document& document, int page,
                     int dpi, QStringList* problems)
{
    const double scale = dpi / 25.4; // pixels per millimetre
    const QSize size(int(std::lround(document.physicalBox.width() * scale)),
                     int(std::lround(document.physicalBox.height() * scale)));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    if (page < 0 || page >= document.pages.size()) {
        if (problems) {
            *problems << QStringLiteral("no page %1").arg(page);
        }
        return image;
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const OfdRead::Text& text : document.pages.at(page).texts) {
        const double pixelSize = text.size * scale;
        QRawFont font(archive.files.value(text.fontFile), pixelSize, QFont::PreferNoHinting);
        if (!font.isValid()) {
            if (problems) {
                *problems << QStringLiteral("font %1 does not load").arg(text.fontFile);
            }
            continue;
        }
        QList<quint32> glyphs;
        QList<QPointF> positions;
        for (const OfdRead::Glyph& glyph : text.glyphs) {
            const QList<quint32> indexes = font.glyphIndexesForString(glyph.character);
            if (indexes.size() != 1 || indexes.first() == 0) {
                if (problems) {
                    *problems
                        << QStringLiteral("font %1 lacks %2").arg(text.fontFile, glyph.character);
                }
                continue;
            }
            glyphs << indexes.first();
            positions << glyph.origin * scale;
        }
        QGlyphRun run;
        run.setRawFont(font);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        painter.setPen(Qt::black);
        painter.drawGlyphRun(QPointF(0, 0), run);
        if (text.weight >= 700) {
            // A face without bold: drawn a second time a 41st of an em to the left, as Qt's
            // PDF writer emboldens it.
            painter.drawGlyphRun(QPointF(-pixelSize / 41.0, 0), run);
        }
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (const QPolygonF& filled : document.pages.at(page).filled) {
        QPolygonF scaled;
        for (const QPointF& point : filled) {
            scaled << point * scale;
        }
        painter.drawPolygon(scaled);
    }
    painter.end();
    return image;
}
