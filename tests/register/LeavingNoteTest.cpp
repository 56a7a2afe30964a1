// The note a leaving keeps with its event: one fixed text for the same note, and nothing else
// (a delivery record, a transfer day, stray text) read back as one.
#include "register/LeavingNote.h"

#include <gtest/gtest.h>

using Register::LeavingNote;

namespace {

struct Stored
{
    const char* what;
    LeavingNote note;
    const char* detail;
};

const Stored kStored[] = {
    {"nothing", {}, ""},
    {"a seal alone", {QStringLiteral("AQID+/=="), {}}, R"({"seal":"AQID+/=="})"},
    {"phrases alone",
     {{}, {QStringLiteral("……予以辞退。"), QStringLiteral("双方存在劳动争议")}},
     R"({"wording":["……予以辞退。","双方存在劳动争议"]})"},
    {"both, quotes and line breaks escaped",
     {QStringLiteral("S"), {QStringLiteral("“违纪”\n开除")}},
     R"({"seal":"S","wording":["“违纪”\n开除"]})"},
};

} // namespace

TEST(LeavingNote, IsStoredAsOneFixedLineOfJsonAndReadBack)
{
    for (const Stored& s : kStored) {
        SCOPED_TRACE(s.what);
        const QString detail = Register::leavingDetail(s.note);
        EXPECT_EQ(detail, QString::fromUtf8(s.detail));
        EXPECT_FALSE(detail.contains(QLatin1Char('\n')));
        const std::optional<LeavingNote> back = Register::leavingNoteFromDetail(detail);
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, s.note);
    }
}

TEST(LeavingNote, OtherDetailsAreNoNote)
{
    const char* const others[] = {
        R"({"method":"post","waybill":"SF1"})", // a delivery record
        "2026-04-15",                          // not JSON
        R"({"seal":1})",                       // the seal is text
        R"({"wording":"辞退"})",               // the phrases are a list
        R"({"wording":["辞退",2]})",           // of texts
        R"({"seal":"S","extra":"x"})",         // nothing beside them
        "{}",
        "[]",
    };
    for (const char* detail : others) {
        SCOPED_TRACE(detail);
        EXPECT_FALSE(Register::leavingNoteFromDetail(QString::fromUtf8(detail)));
    }
}
