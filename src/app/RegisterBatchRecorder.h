#pragma once

#include "batch/BatchIssueRecorder.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>

namespace Register {
class CertificateRegister;
}

// Puts every certificate of a batch in the register (出具登记簿): reserve() makes the entry with
// its number (the certificate is composed with it, 【证明编号】 filled), issued() records that
// the text left kavri as a PDF or an OFD document (told apart by the written file's extension).
// A certificate reserved but never written (its file failed, or 取消 stopped the batch first)
// keeps its entry as a draft (未出具): its number was given once and is never given again, and
// the register shows that no certificate left with it.
//
// A register that cannot be opened or refuses an entry never stops the batch: the complaint is
// made once per run and the remaining certificates are written without a number and without
// being recorded.
//
// The register's connection belongs to the thread this object lives on; calls from the batch
// dialog's worker thread are carried out there (the worker waits for each), calls on that
// thread itself (kavri-cli) directly.
class RegisterBatchRecorder : public QObject, public BatchIssueRecorder
{
    Q_OBJECT
public:
    // The register, asked for at the start of each run; null when there is none.
    using RegisterSource = std::function<Register::CertificateRegister*()>;
    // Tells the user, in Chinese, why the batch goes on without the register.
    using Complaint = std::function<void(const QString& message)>;

    RegisterBatchRecorder(RegisterSource source, Complaint complain, QObject* parent = nullptr);

    void begin(const QString& templateName, const QString& templateText, QDate issued) override;
    QString reserve(const BatchRecord& record, const Composer& compose) override;
    void issued(const BatchRecord& record, const QString& text, const QString& file) override;
    void withdraw(const BatchRecord& record) override;

    // How many certificates of the current run are in the register.
    int recordedCount() const { return int(m_entries.size()); }

private:
    void onHomeThread(const std::function<void()>& work);
    void giveUp(const QString& message);

    RegisterSource m_source;
    Complaint m_complain;
    Register::CertificateRegister* m_register = nullptr;
    QString m_templateName;
    QString m_templateText;
    QDate m_issued;
    QHash<int, qint64> m_entries; // sheet line -> entry id
};
