#pragma once

#include "compose/CertificateComposer.h"

// The values of one leaver, as typed into the form: the nine fields, none of the extras.
inline CertificateValues SampleValues()
{
    CertificateValues v;
    v.name = QStringLiteral("张三");
    v.gender = QStringLiteral("男");
    v.idNumber = QStringLiteral("110101199001011234");
    v.company = QStringLiteral("示例公司");
    v.department = QStringLiteral("研发部");
    v.position = QStringLiteral("工程师");
    v.joinDate = QStringLiteral("2019年3月1日");
    v.leaveDate = QStringLiteral("2024年6月30日");
    v.reason = QStringLiteral("个人原因");
    return v;
}

// A typical certificate as the main window composes it for a result box 36 characters wide:
// title, body paragraphs, a blank line and the right-aligned signature block.
inline QString SampleCertificate()
{
    const QString templateText = QStringLiteral(
        "兹证明【姓名】（性别：【性别】，身份证号码：【身份证号】）自【入职日期】入职我公司，"
        "在【部门】担任【职位】一职，于【离职日期】因【离职原因】原因离职，已办理完毕全部离职交接手"
        "续。"
        "<br>我公司与其已解除劳动合同关系，特此证明。<br><br>"
        "<div style=\"float: right;\">【公司名称】（盖章）<br>【离职日期】</div>");
    return Compose::ComposeCertificate(templateText, SampleValues(), 36);
}

// The certificate as the print command hands it over: everything after the title.
inline QString SampleBody()
{
    const QString text = SampleCertificate();
    return text.mid(text.indexOf(QStringLiteral("离职证明")) + 4);
}
