#include "compose/CertificateComposer.h"

#include <algorithm>

namespace Compose {

const std::array<Placeholder, 9> kPlaceholders = {{
    {u"【姓名】", &CertificateValues::name, u"＿＿＿"},
    {u"【性别】", &CertificateValues::gender, u"＿＿"},
    {u"【身份证号】", &CertificateValues::idNumber, u"＿＿＿＿＿＿＿＿"},
    {u"【公司名称】", &CertificateValues::company, u"＿＿＿＿＿＿"},
    {u"【部门】", &CertificateValues::department, u"＿＿＿＿"},
    {u"【职位】", &CertificateValues::position, u"＿＿＿＿"},
    {u"【入职日期】", &CertificateValues::joinDate, u"＿＿年＿月＿日"},
    {u"【离职日期】", &CertificateValues::leaveDate, u"＿＿年＿月＿日"},
    {u"【离职原因】", &CertificateValues::reason, u"＿＿＿＿＿"},
}};

namespace {

// The preview fills the blanks in its own order, different from the certificate's:
// 姓名, 入职日期, 离职日期, 职位, 公司名称, 部门, 离职原因, 性别, 身份证号.
constexpr std::array<int, 9> kPreviewOrder = {0, 6, 7, 5, 3, 4, 8, 1, 2};

// A measured box is never wider than the probe, and a negative width means no room at all.
// Holding W to that range also keeps the title arithmetic from overflowing and the pads of a
// long block from growing without bound.
int boundedWidth(int width)
{
    return std::clamp(width, 0, kMaxLineWidth);
}

bool endsWith(const QString& text, const QString& marker)
{
    return text.size() >= marker.size() && QStringView(text).right(marker.size()) == marker;
}

// The block with every opening and closing marker taken out. Dropping a marker can bring two
// halves of another one together ("</d" + opening marker + "iv>"); those go as well, so no
// markup survives in the block whatever was typed. Each character is appended once and removed
// at most once, and both markers end in '>', so the work stays linear in the block's length.
QString withoutBlockMarkers(QStringView block)
{
    QString out;
    out.reserve(block.size());
    for (const QChar c : block) {
        out.append(c);
        if (c != u'>') {
            continue;
        }
        if (endsWith(out, kBlockOpen)) {
            out.chop(kBlockOpen.size());
        } else if (endsWith(out, kBlockClose)) {
            out.chop(kBlockClose.size());
        }
    }
    return out;
}

} // namespace

QString replaceAll(const QString& text, QStringView before, QStringView after)
{
    if (before.isEmpty()) {
        return text;
    }
    qsizetype pos = text.indexOf(before);
    if (pos < 0) {
        return text;
    }
    QString out;
    out.reserve(text.size() + std::max<qsizetype>(0, after.size() - before.size()) * 16);
    qsizetype from = 0;
    while (pos >= 0) {
        out.append(QStringView(text).mid(from, pos - from));
        out.append(after);
        from = pos + before.size();
        pos = text.indexOf(before, from);
    }
    out.append(QStringView(text).mid(from));
    return out;
}

QString widthProbe()
{
    return QStringLiteral("一二三四五六七八九十").repeated(33);
}

QString TrimDateText(const QString& pickerText)
{
    QString kept = pickerText.left(kDateTrimLength);
    kept.remove(QChar(u' '));
    return kept;
}

QString TrimReasonText(const QString& reason)
{
    const qsizetype cut = reason.indexOf(kReasonCut);
    return cut > 0 ? reason.left(cut) : reason;
}

QString RenderTemplatePreview(const QString& templateText, int width)
{
    QString text = templateText;
    for (int index : kPreviewOrder) {
        const Placeholder& p = kPlaceholders[index];
        text = replaceAll(text, p.marker, p.blank);
    }
    return AlignRightBlock(text, width);
}

QString ComposeCertificate(const QString& templateText, const CertificateValues& values, int width)
{
    const int fill = (boundedWidth(width) - static_cast<int>(kTitle.size())) / 2;
    QString text;
    text.reserve(templateText.size() + 64);
    if (fill > 0) {
        text.fill(kFiller, fill);
    }
    text += kTitle;
    text += kLineBreak.repeated(3);
    text += templateText;
    for (const Placeholder& p : kPlaceholders) {
        text = replaceAll(text, p.marker, values.*p.value);
    }
    return AlignRightBlock(text, width);
}

QString AlignRightBlock(const QString& text, int width)
{
    const qsizetype open = text.indexOf(kBlockOpen);
    if (open < 0) {
        return replaceAll(text, kBreakMarker, kLineBreak);
    }

    // The block runs from the opening marker to the end of the text; a closing marker does not
    // end it, it is only dropped.
    const QString block = withoutBlockMarkers(QStringView(text).mid(open));

    // The block's lines end after each "<br>"; the width of a line leaves its "<br>" out.
    qsizetype widest = 0;
    qsizetype lines = 1;
    for (qsizetype start = 0;;) {
        const qsizetype br = block.indexOf(kBreakMarker, start);
        const qsizetype end = br < 0 ? block.size() : br;
        widest = std::max(widest, end - start);
        if (br < 0) {
            break;
        }
        start = br + kBreakMarker.size();
        ++lines;
    }

    const qsizetype padLength = std::max<qsizetype>(0, boundedWidth(width) - widest);
    QString padded;
    padded.reserve(open + block.size() + lines * padLength);
    padded.append(QStringView(text).left(open));
    if (padLength == 0) {
        padded.append(block);
    } else {
        const QString pad(padLength, kFiller);
        for (qsizetype start = 0;;) {
            padded.append(pad);
            const qsizetype br = block.indexOf(kBreakMarker, start);
            if (br < 0) {
                padded.append(QStringView(block).mid(start));
                break;
            }
            const qsizetype next = br + kBreakMarker.size();
            padded.append(QStringView(block).mid(start, next - start));
            start = next;
        }
    }
    return replaceAll(padded, kBreakMarker, kLineBreak);
}

} // namespace Compose
