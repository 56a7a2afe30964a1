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

// Certificates from templates that print no number: a pasted copy is found by the person it
// names and compared with the closest recorded text.
class UnnumberedVerifyTest : public RegisterFixture
{
protected:
    Register::IssuedEntry addText(const Register::NewEntry& e, const QString& text)
    {
        QString error;
        const auto made = reg->addEntry(e, [&text](const QString&) { return text; }, &error);
        EXPECT_TRUE(made) << error.toStdString();
        return made.value_or(Register::IssuedEntry{});
    }

    static QString certificate(const QString& name, const QString& id, const QString& leave)
    {
        return QStringLiteral("离职证明\r\n\r\n兹证明%1（身份证号：%2）于%3离职。\r\n"
                              "北京星河科技有限公司\r\n")
            .arg(name, id, leave);
    }
};

TEST_F(UnnumberedVerifyTest, AnAlteredCopyIsComparedWithThePersonsCertificate)
{
    addText(person("李四", "110101199205152349"),
            certificate(QStringLiteral("李四"), QStringLiteral("110101199205152349"),
                        QStringLiteral("2026年3月5日")));
    const auto zhang =
        addText(person("张三", "11010119900307123X"),
                certificate(QStringLiteral("张三"), QStringLiteral("11010119900307123X"),
                            QStringLiteral("2026年3月5日")));
    // The leaving date moved on by a month.
    const QString pasted = QStringLiteral("离职证明\n\n兹证明张三（身份证号：11010119900307123X）"
                                          "于2026年4月5日离职。\n北京星河科技有限公司\n");
    QString error;
    const auto r = reg->verify(pasted, &error);
    ASSERT_TRUE(r) << error.toStdString();
    EXPECT_EQ(r->outcome, Outcome::Mismatch);
    EXPECT_EQ(r->foundBy, VerifyResult::FoundBy::NameAndIdNumber);
    EXPECT_EQ(r->number, zhang.number);
    EXPECT_EQ(r->otherCandidates, 0);
    ASSERT_TRUE(r->difference);
    EXPECT_EQ(r->difference->line, 3);
    EXPECT_EQ(r->difference->column, 37);
    const QString report = verifyReport(*r);
    EXPECT_TRUE(report.startsWith(QStringLiteral(
        "文本中没有证明编号。按文本中的姓名和身份证号，最接近的是编号为 LZ2026-000002 的证明，"
        "但文本与登记的不一致。\n第 3 行第 37 列起不同（与第 1 版比较）：\n")))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("身份证号：110101********123X")));
}

TEST_F(UnnumberedVerifyTest, TheClosestOfThePersonsCertificatesIsShown)
{
    const QString id = QStringLiteral("110101199205152349");
    const auto first = addText(person("李四", "110101199205152349"),
                               certificate(QStringLiteral("李四"), id,
                                           QStringLiteral("2026年3月5日")));
    const auto second = addText(person("李四", "110101199205152349", "2026年6月30日"),
                                certificate(QStringLiteral("李四"), id,
                                            QStringLiteral("2026年6月30日")) +
                                    QStringLiteral("（补发）\r\n"));
    QString error;
    // The second certificate with its last line cut: closer to it than to the first.
    const auto r = reg->verify(certificate(QStringLiteral("李四"), id,
                                           QStringLiteral("2026年6月30日")) +
                                   QStringLiteral("（补"),
                               &error);
    ASSERT_TRUE(r) << error.toStdString();
    EXPECT_EQ(r->outcome, Outcome::Mismatch);
    EXPECT_EQ(r->number, second.number);
    EXPECT_EQ(r->otherCandidates, 1);
    EXPECT_TRUE(verifyReport(*r).contains(QStringLiteral("另有 1 份证明也符合，与文本相差更多。")));

    // The first, word for word but with LF line breaks: a match, found by the whole text.
    const auto exact =
        reg->verify(certificate(QStringLiteral("李四"), id, QStringLiteral("2026年3月5日"))
                        .replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                    &error);
    ASSERT_TRUE(exact);
    EXPECT_EQ(exact->outcome, Outcome::Match);
    EXPECT_EQ(exact->foundBy, VerifyResult::FoundBy::WholeText);
    EXPECT_EQ(exact->number, first.number);
}

TEST_F(UnnumberedVerifyTest, WithoutAnIdNumberTheNameAndLeavingDateFindIt)
{
    Register::NewEntry e = person("王五", "");
    e.values[3].value = QStringLiteral("2026-03-05");
    const auto made = addText(e, QStringLiteral("兹证明王五于2026年3月5日离职。\r\n特此证明。\r\n"));
    addText(person("赵六", "", "2026年3月5日"),
            QStringLiteral("兹证明赵六于2026年3月5日离职。\r\n特此证明。\r\n"));
    QString error;
    const auto r = reg->verify(QStringLiteral("兹证明王五于2026年3月5日离职。\n特此证明！\n"), &error);
    ASSERT_TRUE(r) << error.toStdString();
    EXPECT_EQ(r->outcome, Outcome::Mismatch);
    EXPECT_EQ(r->foundBy, VerifyResult::FoundBy::NameAndLeaveDate);
    EXPECT_EQ(r->number, made.number);
    EXPECT_EQ(r->otherCandidates, 0);
    EXPECT_TRUE(verifyReport(*r).startsWith(
        QStringLiteral("文本中没有证明编号。按文本中的姓名和离职日期，最接近的是编号为 ")));
}

TEST_F(UnnumberedVerifyTest, ATextNamingNobodyOnRecordIsNotFound)
{
    addText(person("李四", "110101199205152349"),
            certificate(QStringLiteral("李四"), QStringLiteral("110101199205152349"),
                        QStringLiteral("2026年3月5日")));
    QString error;
    // Li Si's ID number and leaving date, but another name: nobody the register knows.
    for (const QString& text :
         {certificate(QStringLiteral("孙八"), QStringLiteral("110101199205152349"),
                      QStringLiteral("2026年3月5日")),
          QStringLiteral("兹证明李四已离职。"), QStringLiteral("李四 2026年13月40日")}) {
        const auto r = reg->verify(text, &error);
        ASSERT_TRUE(r) << error.toStdString();
        EXPECT_EQ(r->outcome, Outcome::NotFound) << text.toStdString();
        EXPECT_EQ(verifyReport(*r),
                  QStringLiteral("登记簿中没有与此文本一致的证明，文本中也没有证明编号。\n"
                                 "此证明不是本登记簿出具的，或者文本已被改动。"));
    }
}
