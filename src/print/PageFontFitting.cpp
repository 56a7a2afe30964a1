#include "print/PageFontFitting.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>

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
    // Every size measured sets up a font engine of its own (the font configuration's rules run
    // again for it), which is most of what fitting costs: each size is measured once, and only
    // where it can still win.
    std::map<int, int> measured;
    auto cellHeight = [&](int pixelSize) {
        const auto [it, fresh] = measured.try_emplace(pixelSize, 0);
        if (fresh) {
            qfont.setPixelSize(pixelSize);
            it->second = QFontMetrics(qfont, device).height();
        }
        return it->second;
    };
    const int target = font.height;
    // A first guess from the face's proportions at a large size, then the neighbours of it.
    constexpr int kProbeSize = 1000;
    const int probeHeight = cellHeight(kProbeSize);
    const int guess = probeHeight > 0
                          ? std::max(1, int(std::lround(double(target) * kProbeSize / probeHeight)))
                          : target;
    const int lowest = std::max(1, guess - 3);
    const int highest = guess + 3;
    // The cell never shrinks as the size grows. So when the guess is short of the target, no
    // smaller size comes closer, and no size beyond the first one that reaches the target; when
    // it is taller, the same downwards, where below the first size that falls short only sizes
    // of that same height could still tie with it.
    if (cellHeight(guess) < target) {
        for (int size = guess + 1; size <= highest && cellHeight(size) < target; ++size) {
        }
    } else if (cellHeight(guess) > target) {
        int size = guess - 1;
        while (size >= lowest && cellHeight(size) >= target) {
            --size;
        }
        if (size >= lowest) {
            const int shortHeight = cellHeight(size);
            for (--size; size >= lowest && cellHeight(size) == shortHeight; --size) {
            }
        }
    }
    // The closest of the neighbours; on a tie the guess, else the smallest size.
    int best = guess;
    int bestError = std::abs(cellHeight(guess) - target);
    for (const auto& [size, height] : measured) {
        if (size < lowest || size > highest) {
            continue;
        }
        const int error = std::abs(height - target);
        if (error < bestError) {
            best = size;
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
