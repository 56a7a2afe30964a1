#include "RegisterFixture.h"

#include "register/RegisterText.h"
#include "register/VerifyReport.h"

using namespace Register;
using Outcome = VerifyResult::Outcome;
using VerifyTest = RegisterFixture;

TEST(FirstDifferenceTest, GivesLineAndColumnOfThePresentedText)
{
    const auto d = firstDifference(QStringLiteral("离职证明\r\n张三于2026年离职"),
                                   QStringLiteral("离职证明\n张三于2025年离职"));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->line, 2);
    EXPECT_EQ(d->column, 7);
    EXPECT_EQ(d->recordedExcerpt, QStringLiteral("明⏎张三于2026年离职"));
    EXPECT_EQ(d->presentedExcerpt, QStringLiteral("明⏎张三于2025年离职"));
}

TEST(FirstDifferenceTest, LineBreaksAloneAreNoDifference)
{
    EXPECT_FALSE(firstDifference(QStringLiteral("a\r\nb\r\n"), QStringLiteral("a\nb\n")));
    EXPECT_FALSE(firstDifference(QStringLiteral("a\rb"), QStringLiteral("a\nb")));
}

TEST(FirstDifferenceTest, AShorterTextDiffersWhereItEnds)
{
    const auto d = firstDifference(QStringLiteral("ab\ncd"), QStringLiteral("ab\nc"));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->line, 2);
    EXPECT_EQ(d->column, 2);
    EXPECT_EQ(d->presentedExcerpt, QStringLiteral("ab⏎c〔文本结束〕"));
    const auto first = firstDifference(QStringLiteral("x"), QStringLiteral("y"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->line, 1);
    EXPECT_EQ(first->column, 1);
}

TEST_F(VerifyTest, APastedTextThatLeftIsAMatch)
{
    const IssuedEntry made = add(person("张三", "110101199001011234"));
    QString error;
    const QString sent = made.text + QStringLiteral("（已盖章）");
    ASSERT_TRUE(reg->recordEvent(made.id, EventKind::Printed, sent, &error));
    QString pasted = sent;
    pasted.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const auto r = reg->verify(pasted, &error);
    ASSERT_TRUE(r) << error.toStdString();
    EXPECT_EQ(r->outcome, Outcome::Match);
    EXPECT_EQ(r->number, QStringLiteral("LZ2026-000001"));
    EXPECT_EQ(r->matchedVersion, 2);
}

TEST_F(VerifyTest, AForgedTextSaysWhereItDiffers)
{
    const IssuedEntry made = add(person("张三", "110101199001011234"));
    QString forged = made.text;
    forged.replace(QStringLiteral("张三"), QStringLiteral("张叁"));
    QString error;
    const auto r = reg->verify(forged, &error);
    ASSERT_TRUE(r) << error.toStdString();
    EXPECT_EQ(r->outcome, Outcome::Mismatch);
    ASSERT_TRUE(r->difference);
    EXPECT_EQ(r->difference->line, 4);
    EXPECT_EQ(r->difference->column, 5);
    ASSERT_TRUE(r->entry);
    EXPECT_EQ(r->entry->summary.name, QStringLiteral("张三"));
}

TEST_F(VerifyTest, AnUnknownNumberIsNotHeld)
{
    add(person("张三", "110101199001011234"));
    QString error;
    const auto byNumber = reg->verify(QStringLiteral("LZ2026-000777"), &error);
    ASSERT_TRUE(byNumber);
    EXPECT_EQ(byNumber->outcome, Outcome::NotFound);
    EXPECT_EQ(byNumber->number, QStringLiteral("LZ2026-000777"));
    const auto inText = reg->verify(QStringLiteral("离职证明\n编号：LZ2025-000001\n"), &error);
    ASSERT_TRUE(inText);
    EXPECT_EQ(inText->outcome, Outcome::NotFound);
    EXPECT_FALSE(inText->entry);
}

TEST_F(VerifyTest, ATypedNumberFindsTheEntry)
{
    add(person("张三", "110101199001011234"));
    QString error;
    // Typed in lower case and with blanks around it, as people type.
    const auto r = reg->verify(QStringLiteral(" lz2026-000001 "), &error);
    ASSERT_TRUE(r) << error.toStdString();
    EXPECT_EQ(r->outcome, Outcome::NumberOnly);
    EXPECT_EQ(r->number, QStringLiteral("LZ2026-000001"));
    ASSERT_TRUE(r->entry);
    EXPECT_EQ(r->entry->summary.name, QStringLiteral("张三"));
}

TEST_F(VerifyTest, ATextWithoutANumberIsFoundByItsContent)
{
    Register::NewEntry e = person("李四", "110101199001012345");
    QString error;
    const auto made = reg->addEntry(
        e, [](const QString&) { return QStringLiteral("兹证明李四已离职。\r\n"); }, &error);
    ASSERT_TRUE(made);
    const auto r = reg->verify(QStringLiteral("兹证明李四已离职。\n"), &error);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->outcome, Outcome::Match);
    EXPECT_EQ(r->number, made->number);
    const auto other = reg->verify(QStringLiteral("兹证明李四已离职！\n"), &error);
    ASSERT_TRUE(other);
    EXPECT_EQ(other->outcome, Outcome::NotFound);
}

TEST_F(VerifyTest, TheReportSaysWhereAForgeryDiffers)
{
    const IssuedEntry made = add(person("张三", "110101199001011234"));
    QString forged = made.text;
    forged.replace(QStringLiteral("张三"), QStringLiteral("张叁"));
    QString error;
    const auto r = reg->verify(forged, &error);
    ASSERT_TRUE(r);
    const QString report = verifyReport(*r);
    EXPECT_TRUE(report.startsWith(
        QStringLiteral("登记簿中有编号为 LZ2026-000001 的证明，但文本与登记的不一致。\n"
                       "第 4 行第 5 列起不同（与第 1 版比较）：\n")))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("身份证号：110101********1234")));
    EXPECT_TRUE(report.contains(QStringLiteral("状态：未出具")));
    EXPECT_FALSE(report.contains(QStringLiteral("110101199001011234")));
}
