#include "app/RegisterBatchRecorder.h"

#include "batch/BatchField.h"
#include "legal/RecordedValues.h"
#include "register/CertificateRegister.h"

#include <QThread>

namespace {

// The nine form fields always, as Generate records them; the contract term, the years of service
// and the date of issue as Generate records them for the same template and dates.
constexpr int kFormFieldCount = 9;

Register::FormValues formValuesOf(const BatchRecord& record, const QString& templateText,
                                  QDate issued)
{
    Register::FormValues values;
    for (int i = 0; i < kFormFieldCount; ++i) {
        const BatchField field = kBatchFields[size_t(i)];
        values.append({batchFieldHeader(field), record.value(field)});
    }
    for (const auto& [key, value] :
         Legal::recordedValues(templateText, record.legalDates(issued))) {
        values.append({key, value});
    }
    return values;
}

} // namespace

RegisterBatchRecorder::RegisterBatchRecorder(RegisterSource source, Complaint complain,
                                             QObject* parent)
    : QObject(parent), m_source(std::move(source)), m_complain(std::move(complain))
{
}

void RegisterBatchRecorder::onHomeThread(const std::function<void()>& work)
{
    if (QThread::currentThread() == thread()) {
        work();
    } else {
        QMetaObject::invokeMethod(this, work, Qt::BlockingQueuedConnection);
    }
}

void RegisterBatchRecorder::giveUp(const QString& message)
{
    m_register = nullptr;
    if (m_complain) {
        m_complain(message);
    }
}

void RegisterBatchRecorder::begin(const QString& templateName, const QString& templateText,
                                  QDate issued)
{
    onHomeThread([&] {
        m_templateName = templateName;
        m_templateText = templateText;
        m_issued = issued;
        m_entries.clear();
        // The source makes its own complaint when the register cannot be opened.
        m_register = m_source ? m_source() : nullptr;
    });
}

QString RegisterBatchRecorder::reserve(const BatchRecord& record, const Composer& compose)
{
    QString text;
    onHomeThread([&] {
        if (!m_register) {
            text = compose(QString());
            return;
        }
        Register::NewEntry entry;
        entry.templateName = m_templateName;
        entry.templateText = m_templateText;
        entry.values = formValuesOf(record, m_templateText, m_issued);
        QString error;
        const std::optional<Register::IssuedEntry> made =
            m_register->addEntry(entry, compose, &error);
        if (!made) {
            giveUp(error +
                   QStringLiteral("\n批量生成照常进行，但从第 %1 行起的离职证明不编号、不登记。")
                       .arg(record.line));
            text = compose(QString());
            return;
        }
        m_entries.insert(record.line, made->id);
        text = made->text;
    });
    return text;
}

void RegisterBatchRecorder::issued(const BatchRecord& record, const QString& text,
                                   const QString& file)
{
    // The batch names every file it writes with the extension of its format.
    const Register::EventKind kind = file.endsWith(QStringLiteral(".ofd"), Qt::CaseInsensitive)
                                         ? Register::EventKind::OfdExported
                                         : Register::EventKind::PdfExported;
    onHomeThread([&] {
        const qint64 id = m_entries.value(record.line);
        if (!m_register || id == 0) {
            return;
        }
        QString error;
        if (!m_register->recordEvent(id, kind, text, &error)) {
            giveUp(error + QStringLiteral("\n批量生成照常进行，但从第 %1 行起的离职证明不再登记。")
                               .arg(record.line));
        }
    });
}

void RegisterBatchRecorder::withdraw(const BatchRecord& record)
{
    // The entry stays as it is: a draft whose number no certificate carries out of kavri.
    (void)record;
}
