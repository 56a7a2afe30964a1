#include "RegisterFixture.h"

using namespace Register;
using EventsTest = RegisterFixture;

namespace {
Entry load(CertificateRegister& reg, qint64 id)
{
    QString error;
    std::optional<Entry> e = reg.entry(id, &error);
    EXPECT_TRUE(e) << error.toStdString();
    return e.value_or(Entry{});
}
} // namespace

TEST_F(EventsTest, AnEntryNeverIssuedStaysADraft)
{
    const IssuedEntry made = add(person("张三", "110101199001011234"));
    const Entry e = load(*reg, made.id);
    EXPECT_FALSE(e.summary.issued);
    EXPECT_TRUE(e.events.isEmpty());
    EXPECT_EQ(e.operatorName, QStringLiteral("hr01"));
    EXPECT_EQ(e.templateName, QStringLiteral("标准模板"));
    EXPECT_TRUE(e.templateText.contains(QStringLiteral("【证明编号】")));
    ASSERT_EQ(e.values.size(), 4);
    EXPECT_EQ(e.values[3], (FormValue{QStringLiteral("离职日期"), QStringLiteral("2026年3月5日")}));
    EXPECT_EQ(e.summary.leaveDay, QDate(2026, 3, 5));
}

TEST_F(EventsTest, TheSameTextLeavingTwiceAddsAnEventNotAVersion)
{
    const IssuedEntry made = add(person("张三", "110101199001011234"));
    QString error;
    EXPECT_EQ(reg->recordEvent(made.id, EventKind::Copied, made.text, &error), 1);
    clock = clock.addSecs(60);
    EXPECT_EQ(reg->recordEvent(made.id, EventKind::Printed, made.text, &error), 1);
    const Entry e = load(*reg, made.id);
    EXPECT_TRUE(e.summary.issued);
    EXPECT_EQ(e.summary.lastEventKey, QStringLiteral("printed"));
    EXPECT_EQ(e.summary.lastEventAt, clock);
    EXPECT_EQ(e.versions.size(), 1);
    ASSERT_EQ(e.events.size(), 2);
    EXPECT_EQ(e.events[0].kind, EventKind::Copied);
    EXPECT_EQ(e.events[1].kind, EventKind::Printed);
    EXPECT_EQ(e.events[1].versionNo, 1);
}

TEST_F(EventsTest, AnEditedTextIsANewVersionOfTheSameEntry)
{
    const IssuedEntry made = add(person("张三", "110101199001011234"));
    QString error;
    const QString edited = made.text + QStringLiteral("特此证明。\r\n");
    EXPECT_EQ(reg->recordEvent(made.id, EventKind::PdfExported, edited, &error), 2);
    EXPECT_EQ(reg->recordEvent(made.id, EventKind::Copied, made.text, &error), 1);
    EXPECT_EQ(reg->recordEvent(made.id, EventKind::Printed, edited, &error), 2);
    const Entry e = load(*reg, made.id);
    ASSERT_EQ(e.versions.size(), 2);
    EXPECT_EQ(e.versions[1].text, edited);
    EXPECT_EQ(e.events.size(), 3);
    EXPECT_EQ(reg->count({}, &error), 1);
}

TEST_F(EventsTest, EachEventCarriesTheSha256OfTheTextAsItLeft)
{
    const IssuedEntry made = add(person("张三", "110101199001011234"));
    QString error;
    ASSERT_TRUE(reg->recordEvent(made.id, EventKind::Copied, QStringLiteral("abc"), &error));
    const Entry e = load(*reg, made.id);
    ASSERT_EQ(e.events.size(), 1);
    EXPECT_EQ(e.events[0].sha256,
              QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    EXPECT_EQ(e.versions[1].text, QStringLiteral("abc"));
}

TEST_F(EventsTest, AnEventForAnUnknownEntryIsRefusedInChinese)
{
    QString error;
    EXPECT_FALSE(reg->recordEvent(999, EventKind::Copied, QStringLiteral("x"), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("登记簿记录复制失败"))) << error.toStdString();
}

TEST(EventKinds, EveryKindHasItsStoredNameAndItsWords)
{
    const struct
    {
        EventKind kind;
        const char* key;
        const char* label;
    } kinds[] = {
        {EventKind::Printed, "printed", "打印"},
        {EventKind::PdfExported, "pdf", "导出PDF"},
        {EventKind::Copied, "copied", "复制"},
        {EventKind::OfdExported, "ofd", "导出OFD"},
    };
    for (const auto& k : kinds) {
        EXPECT_EQ(eventKindKey(k.kind), QString::fromUtf8(k.key));
        EXPECT_EQ(eventKindFromKey(QString::fromUtf8(k.key)), k.kind);
        EXPECT_EQ(eventKindLabel(k.kind), QString::fromUtf8(k.label));
    }
    EXPECT_FALSE(eventKindFromKey(QStringLiteral("OFD")).has_value());
    EXPECT_FALSE(eventKindFromKey(QString()).has_value());
}

TEST_F(EventsTest, AnOfdExportIsStoredAndReadBackAsItsOwnKind)
{
    const IssuedEntry made = add(person("张三", "110101199001011234"));
    QString error;
    EXPECT_EQ(reg->recordEvent(made.id, EventKind::OfdExported, made.text, &error), 1);
    const Entry e = load(*reg, made.id);
    EXPECT_TRUE(e.summary.issued);
    EXPECT_EQ(e.summary.lastEventKey, QStringLiteral("ofd"));
    ASSERT_EQ(e.events.size(), 1);
    EXPECT_EQ(e.events[0].kind, EventKind::OfdExported);
}
