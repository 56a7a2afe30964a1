#pragma once

// Sealed certificate pages for the scan checks and the sealing benchmark: N certificates from a
// template with 【查验码】, varied names, companies (one far too long for the code) and posts,
// composed, sealed and written as one PDF with a page each.

#include "batch/CombinedCertificatePdf.h"
#include "issue/StagedFile.h"
#include "compose/CertificateComposer.h"
#include "register/RegisterFiles.h"
#include "seal/CertificateSeal.h"
#include "seal/SealFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <cstdio>
#include <optional>

namespace SealedPages {

inline const QString kTemplate = QStringLiteral(
    "　　兹证明【姓名】（性别：【性别】，身份证号码：【身份证号】）于【入职日期】进入【公司名称】，"
    "在【部门】担任【职位】一职，于【离职日期】因【离职原因】离职，离职交接手续已全部办妥。<br>"
    "　　自离职之日起，本公司与其之间的劳动关系即告解除。<br>　　特此证明。<br>【查验码】<br><br>"
    "<div style=\"float: right;\">【公司名称】（盖章）<br>【离职日期】</div>");
inline constexpr int kWidth = 31;
inline const QDate kIssued(2026, 12, 8);

inline CertificateValues valuesFor(int i)
{
    static const QStringList surnames = {"张", "李", "王", "赵", "陈", "刘", "杨", "黄", "欧阳"};
    static const QStringList given = {"伟", "芳", "娜", "敏", "静", "强", "磊", "洋", "艳"};
    static const QStringList companies = {
        QStringLiteral("北京星辰科技有限公司"),
        QStringLiteral("上海明远信息技术有限公司"),
        QStringLiteral("中国某某国际工程技术咨询服务集团有限公司北京市海淀区第二分公司"),
    };
    CertificateValues v;
    v.name = surnames[i % surnames.size()] + given[(i / 9) % given.size()] + given[i % 7];
    v.gender = i % 2 ? QStringLiteral("女") : QStringLiteral("男");
    v.idNumber = QStringLiteral("1101011990%1").arg(i, 8, 10, QChar(u'0'));
    v.company = companies[i % companies.size()];
    v.department = QStringLiteral("研发部");
    v.position = i % 5 == 0 ? QStringLiteral("高级软件开发工程师兼质量保证部副经理")
                            : QStringLiteral("软件工程师");
    v.joinDate = QStringLiteral("2019年3月%1日").arg(1 + i % 28);
    v.leaveDate = QStringLiteral("2026年11月%1日").arg(1 + i % 30);
    v.reason = QStringLiteral("个人原因");
    v.certificateNumber = QStringLiteral("LZ2026-%1").arg(i + 1, 6, 10, QChar(u'0'));
    return v;
}

inline std::optional<Seal::SealKey> keyIn(const QString& folder)
{
    QString error;
    const QString registerPath = QDir(folder).filePath(Register::kRegisterFileName);
    std::optional<Seal::SealKey> key =
        Seal::loadOrCreateSealKey(Seal::sealKeyPathBeside(registerPath), true, &error);
    if (!key) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
    }
    return key;
}

// Writes the pages; with `sealed` false, the same pages without codes. Seconds taken.
inline double writePages(const Seal::SealKey& key, int count, const QString& out, bool sealed,
                  int* maxVersion)
{
    QElapsedTimer timer;
    timer.start();
    StagedFile file(out);
    CombinedCertificatePdf pdf;
    QString error;
    if (!pdf.open(&file, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return -1;
    }
    for (int i = 0; i < count; ++i) {
        const CertificateValues values = valuesFor(i);
        const QString text = Compose::ComposeCertificate(kTemplate, values, kWidth);
        Seal::QrMatrix code;
        if (sealed) {
            const auto seal = Seal::sealCertificate(key, values, text, kIssued, &error);
            if (!seal) {
                std::fprintf(stderr, "%s\n", qPrintable(error));
                return -1;
            }
            code = seal->code;
            *maxVersion = std::max(*maxVersion, code.version);
        }
        pdf.addPage(text, code);
    }
    if (!pdf.finish(&error) || !file.place(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return -1;
    }
    return timer.nsecsElapsed() / 1e9;
}

} // namespace SealedPages
