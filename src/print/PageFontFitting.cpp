#include "print/PageFontFitting.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

QFont baseFont(const PageFont& font)
{
    QFont qfont(font.face);
    qfont.setWeight(QFont::Weight(font.weight));
    qfont.setKerning(false);
    // Glyph outlines as designed: a printer page must not move text to suit screen hinting.
    qfont.setHintingPreference(QFont::PreferNoHinting);
    qfont.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::PreferQuality));
    return qfont;
}

} // namespace

QFont FitPageFont(const PageFont& font, const QPaintDevice* device)
{
    QFont qfont = baseFont(font);
    if (font.height <= 0) {
        return qfont;
    }
    auto cellHeight = [&](int pixelSize) {
        qfont.setPixelSize(pixelSize);
        return QFontMetrics(qfont, device).height();
    };
    // A first guess from the face's proportions at a large size, then the neighbours of it.
    constexpr int kProbeSize = 1000;
    const int probeHeight = cellHeight(kProbeSize);
    int best = probeHeight > 0
                   ? std::max(1, int(std::lround(double(font.height) * kProbeSize / probeHeight)))
                   : font.height;
    int bestError = std::abs(cellHeight(best) - font.height);
    for (int candidate = std::max(1, best - 3); candidate <= best + 3; ++candidate) {
        const int error = std::abs(cellHeight(candidate) - font.height);
        if (error < bestError) {
            best = candidate;
            bestError = error;
        }
    }
    qfont.setPixelSize(best);
    return qfont;
}

bool IsSynthesizedBold(const QFont& font)
{
    if (font.weight() < QFont::DemiBold) {
        return false;
    }
    const QString family = QFontInfo(font).family();
    const QStringList styles = QFontDatabase::styles(family);
    return std::none_of(styles.cbegin(), styles.cend(), [&](const QString& style) {
        return QFontDatabase::weight(family, style) >= QFont::DemiBold;
    });
}
