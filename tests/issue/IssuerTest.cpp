// One certificate issued: the values cleaned and checked, the register's number taken and in the
// text, what the register keeps; and what happens when the register cannot be used.
#include "IssueFixture.h"

#include "TempLibrary.h"
#include "compose/FormFields.h"
#include "store/CDbVisit.h"
#include "store/LibraryTables.h"
#include "store/RecordSet.h"
#include "store/StoreFeedback.h"

#include <QFile>
#include <QSettings>

using Issue::Issued;
using Issue::RegisterUse;

namespace {

const QString kNumbered = QStringLiteral("编号【证明编号】<br>兹证明【姓名】于【入职日期】入职，"
                                         "【离职日期】因【离职原因】离职。");
const QString kPlain = QStringLiteral("兹证明【姓名】于【离职日期】离职。");

class IssuerTest : public IssueFixture
{
};

TEST_F(IssuerTest, ACertificateGetsTheNextNumberInItsTextAndTheRegisterKeepsTheCleanedValues)
{
    const Issued first = issuer.issue(TypedRequest(kNumbered), 30);
    ASSERT_TRUE(first.made()) << first.problems.join(u'\n').toStdString();
    EXPECT_EQ(first.number, QStringLiteral("LZ2025-000001"));
    EXPECT_TRUE(first.notice.isEmpty());
    EXPECT_TRUE(first.text.contains(QStringLiteral("离职证明\r\n\r\n\r\n编号LZ2025-000001")))
        << first.text.toStdString();
    EXPECT_TRUE(first.text.endsWith(
        QStringLiteral("编号LZ2025-000001\r\n兹证明张三于2019年3月1日入职，2024年5月31日因"
                       "个人原因离职。")))
        << first.text.toStdString();

    const QList<Register::Entry> list = entries();
    ASSERT_EQ(list.size(), 1);
    const Register::Entry& e = list[0];
    EXPECT_EQ(e.summary.id, first.entryId);
    EXPECT_FALSE(e.summary.issued); // a draft until it leaves
    EXPECT_EQ(e.templateName, QStringLiteral("标准模板"));
    EXPECT_EQ(e.templateText, kNumbered);
    EXPECT_EQ(e.versions.value(0).text, first.text);
    EXPECT_EQ(e.values, (Register::FormValues{
                            {QStringLiteral("姓名"), QStringLiteral("张三")},
                            {QStringLiteral("性别"), QStringLiteral("男")},
                            {QStringLiteral("身份证号"), QStringLiteral("110101199003071234")},
                            {QStringLiteral("公司名称"), QStringLiteral("星辰公司")},
                            {QStringLiteral("部门"), QStringLiteral("研发部")},
                            {QStringLiteral("职位"), QStringLiteral("工程师")},
                            {QStringLiteral("入职日期"), QStringLiteral("2019年3月1日")},
                            {QStringLiteral("离职日期"), QStringLiteral("2024年5月31日")},
                            {QStringLiteral("离职原因"), QStringLiteral("个人原因")},
                        }));

    const Issued second = issuer.issue(TypedRequest(kNumbered), 30);
    EXPECT_EQ(second.number, QStringLiteral("LZ2025-000002"));
}

TEST_F(IssuerTest, TheValuesBeyondTheNineAreMadeFromTheDatesAndKept)
{
    Issue::Request request =
        TypedRequest(QStringLiteral("【姓名】【合同期限】，【工作年限】，【出具日期】"));
    request.dates.contractStart = QDate(2019, 3, 1);
    request.dates.openEnded = true;
    request.dates.joined = QDate(2019, 3, 1);
    request.dates.left = QDate(2024, 5, 31);
    const Issued issued = issuer.issue(request, 40);
    ASSERT_TRUE(issued.made());
    EXPECT_TRUE(issued.text.endsWith(
        QStringLiteral("张三自2019年3月1日起无固定期限，5年3个月，2025年6月2日")))
        << issued.text.toStdString();
    EXPECT_EQ(entries().value(0).values.mid(Compose::kFormFieldCount),
              (Register::FormValues{
                  {QStringLiteral("合同起始日期"), QStringLiteral("2019年3月1日")},
                  {QStringLiteral("合同终止日期"), QString()},
                  {QStringLiteral("无固定期限"), QStringLiteral("是")},
                  {QStringLiteral("工作年限"), QStringLiteral("5年3个月")},
                  {QStringLiteral("出具日期"), QStringLiteral("2025年6月2日")},
              }));
}

TEST_F(IssuerTest, AContractThatEndsBeforeItStartsMakesNothing)
{
    Issue::Request request = TypedRequest(QStringLiteral("【姓名】【合同期限】"));
    request.dates.contractStart = QDate(2024, 5, 1);
    request.dates.contractEnd = QDate(2023, 5, 1);
    const Issued issued = issuer.issue(request, 30);
    EXPECT_EQ(issued.refusal, Issued::Refusal::Values);
    EXPECT_EQ(issued.problems, QStringList{QStringLiteral("合同终止日期早于起始日期")});
    EXPECT_TRUE(issued.text.isEmpty());
    EXPECT_TRUE(entries().isEmpty());

    // A template without the term does not care about the dates.
    request.templateText = kPlain;
    EXPECT_TRUE(issuer.issue(request, 30).made());
}

// What an issuer does with a template with or without the number, as the register works or
// not, for each way of using it.
struct RegisterCase
{
    const char* name;
    RegisterUse use;
    bool numberedTemplate;
    bool registerWorks;
    Issued::Refusal refusal;
    bool numbered;
    bool notice;
};

class IssuerRegisterTest : public IssueFixture, public ::testing::WithParamInterface<RegisterCase>
{
};

TEST_P(IssuerRegisterTest, MakesOrRefusesAsTheUseSays)
{
    const RegisterCase& c = GetParam();
    if (!c.registerWorks) {
        // A folder where the register file should be.
        const QString blocked = path(QStringLiteral("blocked.db"));
        ASSERT_TRUE(QDir().mkpath(blocked));
        issuer.useRegisterFile(blocked);
    }
    issuer.setRegisterUse(c.use);
    const Issued issued = issuer.issue(TypedRequest(c.numberedTemplate ? kNumbered : kPlain), 30);
    EXPECT_EQ(issued.refusal, c.refusal) << issued.problems.join(u'\n').toStdString();
    EXPECT_EQ(!issued.number.isEmpty(), c.numbered);
    EXPECT_EQ(issued.entryId != 0, c.numbered);
    EXPECT_EQ(!issued.notice.isEmpty(), c.notice) << issued.notice.toStdString();
    EXPECT_EQ(issued.made(), !issued.text.isEmpty());
    if (issued.made()) {
        EXPECT_TRUE(issued.text.contains(QStringLiteral("张三")));
    } else {
        EXPECT_FALSE(issued.problems.isEmpty());
    }
    if (c.notice) {
        EXPECT_TRUE(issued.notice.startsWith(QStringLiteral("无法打开出具登记簿")));
        EXPECT_TRUE(issued.notice.endsWith(QStringLiteral("\n证明照常生成，但本次不登记。")));
        // Said once: the file is not tried again, and the next certificate comes quietly.
        const Issued again = issuer.issue(TypedRequest(kPlain), 30);
        EXPECT_TRUE(again.made());
        EXPECT_TRUE(again.notice.isEmpty());
    }
    EXPECT_EQ(entries().size(), c.numbered ? 1 : 0);
}

const RegisterCase kRegisterCases[] = {
    {"GenerateNumbers", RegisterUse::WhenAvailable, true, true, Issued::Refusal::None, true,
     false},
    {"GenerateNumbersAPlainOneToo", RegisterUse::WhenAvailable, false, true, Issued::Refusal::None,
     true, false},
    {"GenerateWithoutRegisterRefusesTheNumber", RegisterUse::WhenAvailable, true, false,
     Issued::Refusal::Register, false, false},
    {"GenerateWithoutRegisterMakesAPlainOneOnce", RegisterUse::WhenAvailable, false, false,
     Issued::Refusal::None, false, true},
    {"BatchNumbers", RegisterUse::Required, false, true, Issued::Refusal::None, true, false},
    {"BatchWithoutRegisterStops", RegisterUse::Required, false, false, Issued::Refusal::Register,
     false, false},
    {"UnregisteredMakesAPlainOne", RegisterUse::None, false, true, Issued::Refusal::None, false,
     false},
    {"UnregisteredRefusesTheNumber", RegisterUse::None, true, true, Issued::Refusal::Register,
     false, false},
};

INSTANTIATE_TEST_SUITE_P(Uses, IssuerRegisterTest, ::testing::ValuesIn(kRegisterCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The library's default entries, as the next start of the window offers them.
QString defaultOf(CDbVisit& db, const QString& table)
{
    return db.FindRecordValue(table, LibraryTables::kDefaultColumn, LibraryTables::kDefaultMarker,
                              LibraryTables::kNameColumn);
}

// A copy of the delivered library, open on the desk for the test's length.
struct OpenLibrary
{
    OpenLibrary()
    {
        if (file.isValid()) {
            db.m_pConnection = db.ConnectLibrary(file.path());
        }
    }
    ~OpenLibrary()
    {
        if (db.m_pConnection) {
            db.CloseConnection(db.m_pConnection);
        }
    }
    TempLibrary file;
    CDbVisit db;
};

TEST_F(IssuerTest, TheValuesUsedBecomeTheLibrarysDefaultsTheReasonAsTyped)
{
    OpenLibrary library;
    CDbVisit& db = library.db;
    ASSERT_TRUE(db.m_pConnection);
    issuer.setLibrary(&db);
    const QString companyBefore = defaultOf(db, LibraryTables::kCompany);

    // Refused certificates change nothing.
    Issue::Request bad = TypedRequest(QStringLiteral("【合同期限】") + kPlain);
    bad.dates.contractStart = QDate(2024, 5, 1);
    bad.dates.contractEnd = QDate(2023, 5, 1);
    ASSERT_FALSE(issuer.issue(bad, 30).made());
    issuer.setRegisterUse(RegisterUse::None);
    ASSERT_FALSE(issuer.issue(TypedRequest(kNumbered), 30).made());
    EXPECT_EQ(defaultOf(db, LibraryTables::kCompany), companyBefore);
    EXPECT_NE(companyBefore, QStringLiteral("星辰公司"));

    issuer.setRegisterUse(RegisterUse::WhenAvailable);
    ASSERT_TRUE(issuer.issue(TypedRequest(kPlain), 30).made());
    EXPECT_EQ(defaultOf(db, LibraryTables::kCompany), QStringLiteral("星辰公司"));
    EXPECT_EQ(defaultOf(db, LibraryTables::kDepartment), QStringLiteral("研发部"));
    EXPECT_EQ(defaultOf(db, LibraryTables::kPosition), QStringLiteral("工程师"));
    EXPECT_EQ(defaultOf(db, LibraryTables::kReason), QStringLiteral("个人原因（家中有事）"));
}

// Stands in for the window's message boxes: whatever the library would show by itself.
class ShownByTheLibrary : public StoreFeedback::Backend
{
public:
    ShownByTheLibrary() { StoreFeedback::setBackend(this); }
    ~ShownByTheLibrary() override { StoreFeedback::setBackend(nullptr); }
    void connectFailed(const QString& text) override { texts << text; }
    void statementFailed(const QString& text) override { texts << text; }
    void busy(bool) override {}
    QStringList texts;
};

TEST_F(IssuerTest, WhatTheLibraryCouldNotNoteComesBackUnshownAndTheCertificateStands)
{
    OpenLibrary library;
    CDbVisit& db = library.db;
    ASSERT_TRUE(db.m_pConnection);
    // A damaged library: the companies' table is gone.
    db.ExecuteSql(QStringLiteral("drop table company_item_table"));
    const QString departmentBefore = defaultOf(db, LibraryTables::kDepartment);
    issuer.setLibrary(&db);

    ShownByTheLibrary shown;
    const Issued issued = issuer.issue(TypedRequest(kNumbered), 30);
    EXPECT_TRUE(shown.texts.isEmpty()) << shown.texts.join(u'\n').toStdString();
    ASSERT_TRUE(issued.made()) << issued.problems.join(u'\n').toStdString();
    EXPECT_EQ(issued.number, QStringLiteral("LZ2025-000001"));
    // The first statement that failed, once, as the window shows it: reason, then statement.
    ASSERT_EQ(issued.libraryFailures.size(), 1);
    EXPECT_TRUE(issued.libraryFailures[0].text().endsWith(
        QStringLiteral("select top 1 * from company_item_table where item1='默认'")))
        << issued.libraryFailures[0].text().toStdString();
    EXPECT_TRUE(issued.libraryFailures[0].error.contains(QStringLiteral("company_item_table")))
        << issued.libraryFailures[0].error.toStdString();
    // One write unit: the department's default did not move either.
    EXPECT_EQ(defaultOf(db, LibraryTables::kDepartment), departmentBefore);
}

TEST_F(IssuerTest, ATeamLibraryOutOfReachRefusesWithItsReasonUnshownAndNothingNumbered)
{
    QTemporaryDir userConfig;
    QTemporaryDir systemConfig;
    ASSERT_TRUE(userConfig.isValid() && systemConfig.isValid());
    const QByteArray oldUser = qgetenv("XDG_CONFIG_HOME");
    const QByteArray oldSystem = qgetenv("XDG_CONFIG_DIRS");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(userConfig.path()));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(systemConfig.path()));
    {
        QSettings settings(userConfig.filePath(QStringLiteral("kavri/kavri.conf")),
                           QSettings::IniFormat);
        settings.setValue(QStringLiteral("library/server"),
                          QStringLiteral("host=127.0.0.1 port=1 dbname=kavri-hr"));
    }
    TempLibrary library;
    ASSERT_TRUE(library.isValid());
    CDbVisit db;
    {
        ShownByTheLibrary atStart; // the failed connect is the start's own notice
        db.m_pConnection = db.ConnectLibrary(library.path());
    }
    qputenv("XDG_CONFIG_HOME", oldUser);
    qputenv("XDG_CONFIG_DIRS", oldSystem);
    ASSERT_FALSE(db.m_pConnection);
    issuer.setLibrary(&db);

    ShownByTheLibrary shown;
    const Issued refused = issuer.issue(TypedRequest(kNumbered), 30);
    EXPECT_TRUE(shown.texts.isEmpty()) << shown.texts.join(u'\n').toStdString();
    EXPECT_EQ(refused.refusal, Issued::Refusal::Library);
    ASSERT_EQ(refused.libraryFailures.size(), 1);
    EXPECT_EQ(refused.libraryFailures[0].text(),
              QStringLiteral("无法连接到团队资料库的服务器，本次操作未完成，没有写入任何内容。"));
    EXPECT_TRUE(refused.text.isEmpty());
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(IssuerTest, TheRefusalsSayWhyInChinese)
{
    const QString blocked = path(QStringLiteral("blocked.db"));
    ASSERT_TRUE(QDir().mkpath(blocked));
    issuer.useRegisterFile(blocked);
    Issued refused = issuer.issue(TypedRequest(kNumbered), 30);
    ASSERT_EQ(refused.problems.size(), 2);
    EXPECT_TRUE(refused.problems[0].startsWith(QStringLiteral("无法打开出具登记簿（%1）")
                                                   .arg(QDir::toNativeSeparators(blocked))))
        << refused.problems[0].toStdString();
    EXPECT_EQ(refused.problems[1],
              QStringLiteral("模板中有【证明编号】，登记簿无法使用时不能生成离职证明。"));

    issuer.setRegisterUse(RegisterUse::None);
    refused = issuer.issue(TypedRequest(kNumbered), 30);
    EXPECT_EQ(refused.problems,
              QStringList{QStringLiteral("模板中有【证明编号】，不登记就没有编号：这样的离职证明"
                                         "不能生成。")});
}

} // namespace
