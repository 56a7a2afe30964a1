#include "register/RegisterTypes.h"

namespace Register {

QString eventKindKey(EventKind kind)
{
    switch (kind) {
    case EventKind::Printed:
        return QStringLiteral("printed");
    case EventKind::PdfExported:
        return QStringLiteral("pdf");
    case EventKind::Copied:
        return QStringLiteral("copied");
    case EventKind::OfdExported:
        return QStringLiteral("ofd");
    }
    return {};
}

std::optional<EventKind> eventKindFromKey(const QString& key)
{
    for (EventKind k :
         {EventKind::Printed, EventKind::PdfExported, EventKind::Copied, EventKind::OfdExported}) {
        if (eventKindKey(k) == key) {
            return k;
        }
    }
    return std::nullopt;
}

QString eventKindLabel(EventKind kind)
{
    switch (kind) {
    case EventKind::Printed:
        return QStringLiteral("打印");
    case EventKind::PdfExported:
        return QStringLiteral("导出PDF");
    case EventKind::Copied:
        return QStringLiteral("复制");
    case EventKind::OfdExported:
        return QStringLiteral("导出OFD");
    }
    return {};
}

} // namespace Register
