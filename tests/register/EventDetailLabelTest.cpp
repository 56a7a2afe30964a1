// How an event's detail reads in the register window and in `register show`.
#include "register/RegisterText.h"

#include <gtest/gtest.h>

using namespace Register;

namespace {

struct DetailCase
{
    const char* what;
    EventKind kind;
    const char* detail;
    const char16_t* label;
};

const DetailCase kDetails[] = {
    {"a leaving without a note", EventKind::Printed, "", u""},
    {"a leaving with phrases", EventKind::PdfExported,
     R"({"wording":["“辞退”：……予以辞退。","“违纪”：因违纪"]})",
     u"措辞提示：“辞退”：……予以辞退。；“违纪”：因违纪"},
    {"phrases beside the page's code", EventKind::Copied,
     R"({"seal":"AQID","wording":["“开除”：被开除"]})", u"措辞提示：“开除”：被开除"},
    {"the page's code alone is for 查验, not for reading", EventKind::OfdExported,
     R"({"seal":"AQID"})", u""},
    {"a leaving's detail that is no note, as stored", EventKind::Printed, "旧的说明", u"旧的说明"},
    {"a delivery", EventKind::Delivered,
     R"({"method":"post","received":"2026-04-05","waybill":"SF1"})", u"邮寄 SF1，2026-04-05 签收"},
    {"a delivery with its note", EventKind::Delivered, R"({"method":"email","note":"本人邮箱"})",
     u"电子邮件，未确认签收（本人邮箱）"},
    {"a delivery record that cannot be read", EventKind::Delivered, "{", u""},
    {"a transfer day", EventKind::Transferred, "2026-04-10", u"2026-04-10"},
};

} // namespace

TEST(EventDetailLabel, EachKindOfDetailReadsAsThePersonNeedsIt)
{
    for (const DetailCase& c : kDetails) {
        SCOPED_TRACE(c.what);
        Event event;
        event.kind = c.kind;
        event.detail = QString::fromUtf8(c.detail);
        EXPECT_EQ(eventDetailLabel(event), QString::fromUtf16(c.label));
    }
}
