#pragma once

#include "compose/CertificateComposer.h"

#include <QList>
#include <QString>

// Leavers whose certificates differ in everything that moves a page's lines: names of one to four
// characters, companies, departments and reasons of many lengths, one- and two-digit dates, so
// that the paragraphs wrap at different characters, full-width and half-width alike.
inline QList<CertificateValues> VariedValues(int count)
{
    static const QStringList surnames = {"张", "李", "王", "欧阳", "司马", "陈", "刘", "诸葛"};
    static const QStringList given = {"伟", "芳芳", "娜", "敏", "静怡", "强", "磊", "洋", "艳"};
    static const QStringList companies = {"北京星辰科技有限公司", "示例公司",
                                          "上海浦东新区某某国际贸易有限责任公司", "杭州云栖软件",
                                          "深圳市前海微众数据服务有限公司"};
    static const QStringList departments = {"研发部", "人力资源部", "市场营销中心", "财务部"};
    static const QStringList positions = {"软件工程师", "经理", "高级产品设计师", "会计"};
    static const QStringList reasons = {"个人原因", "合同到期", "家庭原因需要返乡照顾老人",
                                        "身体原因"};
    QList<CertificateValues> list;
    for (int i = 0; i < count; ++i) {
        CertificateValues v;
        v.name = surnames[i % surnames.size()] + given[(i / 3) % given.size()];
        v.gender = i % 2 ? QStringLiteral("女") : QStringLiteral("男");
        v.idNumber = QStringLiteral("1101011990%1").arg(i * 7919 % 100000000, 8, 10, QChar(u'0'));
        v.company = companies[i % companies.size()];
        v.department = departments[(i / 2) % departments.size()];
        v.position = positions[(i / 5) % positions.size()];
        v.joinDate =
            QStringLiteral("20%1年%2月%3日").arg(10 + i % 12).arg(1 + i % 12).arg(1 + i % 28);
        v.leaveDate = QStringLiteral("2024年%1月%2日").arg(1 + (i * 5) % 12).arg(1 + (i * 3) % 28);
        v.reason = reasons[(i / 7) % reasons.size()];
        list << v;
    }
    return list;
}

// A template with a leading indent, a long paragraph, short ones and the right-aligned block.
inline const QString kVariedTemplate = QStringLiteral(
    "　　兹证明【姓名】（性别：【性别】，身份证号码：【身份证号】）于【入职日期】进入【公司名称】，"
    "在【部门】担任【职位】一职，于【离职日期】因【离职原因】离职，离职交接手续已全部办妥。<br>"
    "　　自离职之日起，本公司与其之间的劳动关系即告解除。<br>　　特此证明。<br><br>"
    "<div style=\"float: right;\">【公司名称】（盖章）<br>【离职日期】</div>");
