#pragma once

#include "compose/CertificateValues.h"
#include "seal/CertificateSeal.h"
#include "seal/QrMatrix.h"
#include "seal/SealKey.h"

#include <QImage>
#include <QPainter>
#include <QString>
#include <gtest/gtest.h>

// Shared by the scan tests: keys, a certificate with its values, and QR codes drawn as images.
namespace ScanTest {

inline const Seal::SealKey& ownKey()
{
    static const Seal::SealKey key = [] {
        QString error;
        return *Seal::SealKey::generate(&error);
    }();
    return key;
}

inline const Seal::SealKey& strangerKey()
{
    static const Seal::SealKey key = [] {
        QString error;
        return *Seal::SealKey::generate(&error);
    }();
    return key;
}

inline CertificateValues values(const QString& number = QStringLiteral("LZ2026-000123"))
{
    CertificateValues v;
    v.name = QStringLiteral("王小明");
    v.gender = QStringLiteral("男");
    v.idNumber = QStringLiteral("11010519491231002X");
    v.company = QStringLiteral("上海明远信息技术有限公司");
    v.department = QStringLiteral("研发部");
    v.position = QStringLiteral("软件工程师");
    v.joinDate = QStringLiteral("2019年3月1日");
    v.leaveDate = QStringLiteral("2026年11月30日");
    v.reason = QStringLiteral("个人原因");
    v.certificateNumber = number;
    return v;
}

inline QString certificateText(const QString& number = QStringLiteral("LZ2026-000123"))
{
    return QStringLiteral("　　　　　　　　　　　　　离职证明\r\n\r\n\r\n\r\n"
                          "　　兹证明王小明于2019年3月1日进入上海明远信息技术有限公司，"
                          "于2026年11月30日离职。\r\n　　特此证明。\r\n证明编号 %1（扫描二维码可离线查验）"
                          "\r\n\r\n　　　　　　　　　　　　上海明远信息技术有限公司（盖章）\r\n"
                          "　　　　　　　　　　　　　　　　2026年11月30日")
        .arg(number);
}

inline Seal::SealedCertificate seal(const Seal::SealKey& key, const CertificateValues& v,
                                    const QString& text)
{
    QString error;
    const std::optional<Seal::SealedCertificate> sealed =
        Seal::sealCertificate(key, v, text, QDate(2026, 12, 8), &error);
    EXPECT_TRUE(sealed) << error.toStdString();
    return sealed.value_or(Seal::SealedCertificate());
}

// The code drawn black on white, `module` pixels per module, with its quiet zone.
inline QImage codeImage(const Seal::QrMatrix& code, int module = 6)
{
    const int side = (code.size + 2 * Seal::kQuietZoneModules) * module;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < code.size; ++y) {
        for (int x = 0; x < code.size; ++x) {
            if (code.dark(x, y)) {
                painter.fillRect((x + Seal::kQuietZoneModules) * module,
                                 (y + Seal::kQuietZoneModules) * module, module, module, Qt::black);
            }
        }
    }
    return image;
}

} // namespace ScanTest
