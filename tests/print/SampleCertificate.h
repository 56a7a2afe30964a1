#pragma once

#include "compose/CertificateComposer.h"

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
    CertificateValues values;
    values.name = QStringLiteral("张三");
    values.gender = QStringLiteral("男");
    values.idNumber = QStringLiteral("110101199001011234");
    values.company = QStringLiteral("北京某某科技有限公司");
    values.department = QStringLiteral("研发部");
    values.position = QStringLiteral("软件工程师");
    values.joinDate = QStringLiteral("2019年3月1日");
    values.leaveDate = QStringLiteral("2024年5月31日");
    values.reason = QStringLiteral("个人发展");
    return Compose::ComposeCertificate(templateText, values, 36);
}

// The certificate as the print command hands it over: everything after the title.
inline QString SampleBody()
{
    const QString text = SampleCertificate();
    return text.mid(text.indexOf(QStringLiteral("离职证明")) + 4);
}
