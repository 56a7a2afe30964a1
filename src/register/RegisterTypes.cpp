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
    case EventKind::Delivered:
        return QStringLiteral("delivered");
    case EventKind::Transferred:
        return QStringLiteral("transferred");
    }
    return {};
}

std::optional<EventKind> eventKindFromKey(const QString& key)
{
    for (EventKind k : {EventKind::Printed, EventKind::PdfExported, EventKind::Copied,
                        EventKind::OfdExported, EventKind::Delivered, EventKind::Transferred}) {
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
    case EventKind::Delivered:
        return QStringLiteral("送达");
    case EventKind::Transferred:
        return QStringLiteral("档案社保转移");
    }
    return {};
}

bool leavesKavri(EventKind kind)
{
    return kind != EventKind::Delivered && kind != EventKind::Transferred;
}

} // namespace Register
