#include "compose/CertificateComposer.h"

#include "compose/ExtraPlaceholders.h"
#include "compose/FormFields.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <utility>

namespace Compose {

// The nine come from the form's field table, in its order.
constexpr std::array<Placeholder, 9> kPlaceholders = [] {
    std::array<Placeholder, 9> placeholders{};
    for (size_t i = 0; i < placeholders.size(); ++i) {
        placeholders[i] = {kFormFields[i].marker, kFormFields[i].value, kFormFields[i].blank};
    }
    return placeholders;
}();

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
    return text.size() >= marker.size() && QStringView(text).last(marker.size()) == marker;
}

// Appends `block` to `out` with every opening and closing marker taken out. Dropping a marker can
// bring two halves of another one together ("</d" + opening marker + "iv>"); those go as well,
// so no markup survives whatever was typed. A marker is only ever dropped when one of `block`'s
// characters completes it, so markers that `out` already held stay. Both markers end in '>', so
// the text is copied in runs up to each '>' and only there checked for a marker that has just
// been completed; each character is copied once and dropped at most once.
void appendWithoutBlockMarkers(QString& out, QStringView block)
{
    out.reserve(out.size() + block.size());
    qsizetype from = 0;
    while (from < block.size()) {
        const qsizetype gt = block.indexOf(u'>', from);
        const qsizetype end = gt < 0 ? block.size() : gt + 1;
        out.append(block.sliced(from, end - from));
        from = end;
        if (gt < 0) {
            break;
        }
        if (endsWith(out, kBlockOpen)) {
            out.chop(kBlockOpen.size());
        } else if (endsWith(out, kBlockClose)) {
            out.chop(kBlockClose.size());
        }
    }
}

// Replaces each placeholder in turn over the whole text, in the given order. Two buffers take
// turns so that a long template costs two allocations rather than one per placeholder.
template <typename Replacement>
QString replacePlaceholders(QString text, const std::array<int, 9>& order, Replacement replacement)
{
    QString spare;
    for (int index : order) {
        const Placeholder& p = kPlaceholders[index];
        const qsizetype first = findText(text, p.marker);
        if (first < 0) {
            continue;
        }
        spare.resize(0);
        spare.reserve(text.size());
        spare.append(QStringView(text).first(first));
        appendReplaced(spare, QStringView(text).sliced(first), p.marker, replacement(p));
        std::swap(text, spare);
    }
    return text;
}

// The placeholders beyond the nine, each where the template itself holds it.
template <typename Replacement>
QString replaceExtraPlaceholders(QString text, QStringView templateText, Replacement replacement)
{
    for (const Placeholder& p : kExtraPlaceholders) {
        if (findText(templateText, p.marker) >= 0) {
            text = replaceAll(text, p.marker, replacement(p));
        }
    }
    return text;
}

} // namespace

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
    constexpr std::array<int, 9> order = kPreviewOrder;
    const auto blank = [](const Placeholder& p) { return p.blank; };
    const QString text = replaceExtraPlaceholders(replacePlaceholders(templateText, order, blank),
                                                  templateText, blank);
    return AlignRightBlock(text, width);
}

QString VerificationLine(const QString& certificateNumber)
{
    return QStringLiteral("证明编号 %1（扫描二维码可离线查验）").arg(certificateNumber);
}

bool HasVerificationCode(QStringView templateText)
{
    return findText(templateText, kVerificationMarker) >= 0;
}

namespace {

// Every character that some placeholder or markup holds.
const QString& markerCharacters()
{
    static const QString characters = [] {
        QString all;
        const auto add = [&all](QStringView marker) {
            for (QChar c : marker) {
                if (!all.contains(c)) {
                    all += c;
                }
            }
        };
        for (const Placeholder& p : kPlaceholders) {
            add(p.marker);
        }
        for (const Placeholder& p : kExtraPlaceholders) {
            add(p.marker);
        }
        add(kBreakMarker);
        add(kBlockOpen);
        add(kBlockClose);
        return all;
    }();
    return characters;
}

constexpr char16_t kPrivateFirst = 0xE000;
constexpr char16_t kPrivateLast = 0xF8FF;

bool isPrivateUse(QChar c)
{
    return c.unicode() >= kPrivateFirst && c.unicode() <= kPrivateLast;
}

// The values of the certificate, each as a pointer into CertificateValues.
template <typename Visit>
void forEachValue(Visit visit)
{
    for (const Placeholder& p : kPlaceholders) {
        visit(p.value);
    }
    for (const Placeholder& p : kExtraPlaceholders) {
        visit(p.value);
    }
}

// A value is text: whatever it holds, no placeholder and no markup is read in it, nor formed by
// it together with the template's text around it. Each character of a value that some marker
// holds is swapped, while the markup is handled, for a private-use character that neither the
// template nor any value holds, and swapped back in the result. One UTF-16 unit stands for one,
// so the right block's widths count a value exactly as before.
struct LiteralValues
{
    QHash<QChar, QChar> toStandIn;
    QHash<QChar, QChar> fromStandIn;

    bool needed() const { return !toStandIn.isEmpty(); }

    LiteralValues(const QString& templateText, const CertificateValues& values)
    {
        QString wanted;
        forEachValue([&](QString CertificateValues::*value) {
            for (QChar c : values.*value) {
                if (markerCharacters().contains(c) && !wanted.contains(c)) {
                    wanted += c;
                }
            }
        });
        if (wanted.isEmpty()) {
            return;
        }
        QSet<QChar> taken;
        const auto noteTaken = [&taken](QStringView text) {
            for (QChar c : text) {
                if (isPrivateUse(c)) {
                    taken.insert(c);
                }
            }
        };
        noteTaken(templateText);
        forEachValue([&](QString CertificateValues::*value) { noteTaken(values.*value); });
        char32_t next = kPrivateFirst;
        for (QChar c : wanted) {
            while (next <= kPrivateLast && taken.contains(QChar(char16_t(next)))) {
                ++next;
            }
            if (next > kPrivateLast) {
                break; // a text holding thousands of private-use characters; none is left
            }
            toStandIn.insert(c, QChar(char16_t(next)));
            fromStandIn.insert(QChar(char16_t(next)), c);
            ++next;
        }
    }

    QString standIns(const QString& value) const
    {
        QString out = value;
        for (QChar& c : out) {
            c = toStandIn.value(c, c);
        }
        return out;
    }

    QString restored(QString text) const
    {
        for (QChar& c : text) {
            if (isPrivateUse(c)) {
                c = fromStandIn.value(c, c);
            }
        }
        return text;
    }
};

QString composeMarkedUp(const QString& templateText, const CertificateValues& values, int width)
{
    const int fill = (boundedWidth(width) - static_cast<int>(kTitle.size())) / 2;
    QString text;
    text.reserve(std::max(fill, 0) + kTitle.size() + 3 * kLineBreak.size() + templateText.size());
    if (fill > 0) {
        text.fill(kFiller, fill);
    }
    text += kTitle;
    text += kLineBreak.repeated(3);
    text += templateText;
    constexpr std::array<int, 9> tableOrder = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    const auto value = [&values](const Placeholder& p) { return QStringView(values.*p.value); };
    text = replacePlaceholders(std::move(text), tableOrder, value);
    text = replaceExtraPlaceholders(std::move(text), templateText, value);
    return AlignRightBlock(text, width);
}

} // namespace

QString ComposeCertificate(const QString& templateText, const CertificateValues& typed, int width)
{
    CertificateValues values = typed;
    if (values.verificationLine.isEmpty()) {
        values.verificationLine = VerificationLine(values.certificateNumber);
    }
    const LiteralValues literal(templateText, values);
    if (!literal.needed()) {
        return composeMarkedUp(templateText, values, width);
    }
    CertificateValues guarded = values;
    forEachValue([&](QString CertificateValues::*value) {
        guarded.*value = literal.standIns(values.*value);
    });
    return literal.restored(composeMarkedUp(templateText, guarded, width));
}

QString AlignRightBlock(const QString& text, int width)
{
    const qsizetype open = findText(text, kBlockOpen);
    if (open < 0) {
        return replaceAll(text, kBreakMarker, kLineBreak);
    }
    const QStringView head = QStringView(text).first(open);

    // The block runs from the opening marker to the end of the text; a closing marker does not
    // end it, it is only dropped.
    QString block;
    appendWithoutBlockMarkers(block, QStringView(text).sliced(open));

    // The block's lines end after each "<br>"; the width of a line leaves its "<br>" out.
    qsizetype widest = 0;
    qsizetype lines = 1;
    for (qsizetype start = 0;;) {
        const qsizetype br = findText(block, kBreakMarker, start);
        const qsizetype end = br < 0 ? block.size() : br;
        widest = std::max(widest, end - start);
        if (br < 0) {
            break;
        }
        start = br + kBreakMarker.size();
        ++lines;
    }

    const qsizetype padLength = std::max<qsizetype>(0, boundedWidth(width) - widest);
    if (padLength == 0) {
        // Head and block meet directly. A marker that the seam completes (the head ending in
        // "<div style=\"flo", the block starting with "at: right;\">") is dropped like any in the
        // block, and "<b" + "r>" across the seam is a break too: the breaks become line ends
        // only once both are joined.
        QString joined = head.toString();
        appendWithoutBlockMarkers(joined, block);
        return replaceAll(joined, kBreakMarker, kLineBreak);
    }

    // With a pad between head and block, and after every break of the block, no break can form
    // across a seam, so the breaks become line ends while the text is put together.
    QString out;
    out.reserve(text.size() + lines * padLength);
    appendReplaced(out, head, kBreakMarker, kLineBreak);
    const QString pad(padLength, kFiller);
    for (qsizetype start = 0;;) {
        out.append(pad);
        const qsizetype br = findText(block, kBreakMarker, start);
        if (br < 0) {
            out.append(QStringView(block).sliced(start));
            break;
        }
        out.append(QStringView(block).sliced(start, br - start));
        out.append(kLineBreak);
        start = br + kBreakMarker.size();
    }
    return out;
}

} // namespace Compose
