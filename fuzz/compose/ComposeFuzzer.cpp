// Feeds arbitrary templates, values and widths to the composer and checks what must hold for
// every input: no crash, the certificate opens with its filler, title and gap, the template's
// "<br>" and opening markers never survive (a value's are text and stay, literally), and the
// output stays within the size that the template and values can produce (so nothing grows out
// of proportion to the input).
//
// Input layout: two bytes of width (any 16-bit value, so widths outside 0..330 are exercised
// too), then the template and up to nine values, separated by NUL bytes, all read as UTF-8.
#include "compose/CertificateComposer.h"

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "composer property broken: %s\n", what);
    std::abort();
}

void check(bool ok, const char* what)
{
    if (!ok) {
        fail(what);
    }
}

// The longest text that replacing every placeholder in turn can make of `length` characters,
// followed by the right-block pads (at most one full line width per "<br>" plus one).
qsizetype sizeBound(qsizetype length, const CertificateValues& values)
{
    for (const Compose::Placeholder& p : Compose::kPlaceholders) {
        const qsizetype grow = (values.*p.value).size() - p.marker.size();
        if (grow > 0) {
            length += length / p.marker.size() * grow;
        }
    }
    return length + (length / 4 + 1) * Compose::kMaxLineWidth;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) {
        return 0;
    }
    const int width = int(int16_t(uint16_t(data[0]) | uint16_t(data[1]) << 8));
    const QList<QByteArray> parts =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2))
            .split('\0');

    const QString templateText = QString::fromUtf8(parts.value(0));
    CertificateValues values;
    for (qsizetype i = 0; i < qsizetype(Compose::kPlaceholders.size()); ++i) {
        values.*Compose::kPlaceholders[i].value = QString::fromUtf8(parts.value(i + 1));
    }
    values.joinDate = Compose::TrimDateText(values.joinDate);
    values.leaveDate = Compose::TrimDateText(values.leaveDate);
    const QString untrimmedReason = values.reason;
    values.reason = Compose::TrimReasonText(values.reason);
    check(values.joinDate.size() <= Compose::kDateTrimLength && !values.joinDate.contains(u' '),
          "date trim");
    check(untrimmedReason.startsWith(values.reason), "reason trim keeps a prefix");

    const int bounded = std::clamp(width, 0, Compose::kMaxLineWidth);
    const int fill = std::max(0, (bounded - 4) / 2);
    const QString opening =
        QString(fill, Compose::kFiller) + Compose::kTitle + Compose::kLineBreak.repeated(3);

    // Values are inserted as text, so markup that a value brings is kept, and a value's "<" or
    // ">" may complete a marker with the template text beside it; only when no value holds an
    // angle bracket can no marker be left in the certificate.
    bool valuesCarryMarkup = false;
    for (const Compose::Placeholder& p : Compose::kPlaceholders) {
        const QString& value = values.*p.value;
        valuesCarryMarkup = valuesCarryMarkup || value.contains(u'<') || value.contains(u'>');
    }

    const QString certificate = Compose::ComposeCertificate(templateText, values, width);
    check(certificate.startsWith(opening), "certificate opens with filler, title and gap");
    if (!valuesCarryMarkup) {
        check(!certificate.contains(Compose::kBreakMarker), "no <br> in the certificate");
        check(!certificate.contains(Compose::kBlockOpen), "no opening marker in the certificate");
    }
    check(certificate.size() <= sizeBound(opening.size() + templateText.size(), values),
          "certificate size");

    const QString preview = Compose::RenderTemplatePreview(templateText, width);
    check(!preview.contains(Compose::kBreakMarker), "no <br> in the preview");
    check(!preview.contains(Compose::kBlockOpen), "no opening marker in the preview");
    // A blank is at most 7 characters for a placeholder of at least 4.
    check(preview.size() <=
              templateText.size() * 2 + (templateText.size() / 4 + 1) * Compose::kMaxLineWidth,
          "preview size");
    return 0;
}
