#pragma once

#include "seal/SealKey.h"
#include "seal/SealPayload.h"

#include <QByteArray>
#include <QDate>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

// Shared by the seal tests: keys made once per test program, a typical set of facts, and
// running the openssl command-line tool as the outside implementation.
namespace SealTest {

inline const Seal::SealKey& ownKey()
{
    static const Seal::SealKey key = [] {
        QString error;
        return std::move(*Seal::SealKey::generate(&error));
    }();
    return key;
}

inline const Seal::SealKey& otherKey()
{
    static const Seal::SealKey key = [] {
        QString error;
        return std::move(*Seal::SealKey::generate(&error));
    }();
    return key;
}

inline Seal::SealFacts typicalFacts()
{
    Seal::SealFacts facts;
    facts.number = QStringLiteral("LZ2026-000123");
    facts.company = QStringLiteral("上海明远信息技术有限公司");
    facts.name = QStringLiteral("王小明");
    facts.idLast4 = QStringLiteral("123X");
    facts.joined = QDate(2019, 3, 1);
    facts.left = QDate(2026, 11, 30);
    facts.post = QStringLiteral("软件工程师");
    facts.issued = QDate(2026, 12, 8);
    facts.textHash = Seal::certificateTextHash(QStringLiteral("离职证明\r\n兹证明王小明……"));
    return facts;
}

struct ToolRun
{
    int exitCode = -1;
    QByteArray output;
};

inline ToolRun runTool(const QString& program, const QStringList& args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    ToolRun run;
    if (!process.waitForFinished(30000)) {
        run.output = "did not finish: " + process.errorString().toUtf8();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = process.readAll();
    return run;
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace SealTest
