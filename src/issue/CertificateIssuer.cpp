#include "issue/CertificateIssuer.h"

#include "compose/CertificateComposer.h"
#include "compose/ExtraPlaceholders.h"
#include "compose/ValueCharacters.h"
#include "legal/ContractTerm.h"
#include "legal/LegalPlaceholders.h"
#include "legal/LongDate.h"
#include "legal/ServiceYears.h"
#include "register/CertificateRegister.h"
#include "seal/SealFiles.h"
#include "store/CDbVisit.h"
#include "store/LibraryTables.h"
#include "store/pg/TeamConfig.h"

#include <QDir>
#include <utility>

namespace Issue {

namespace {

using Compose::FieldIndex;

// The libraries whose default entry follows the value a certificate used, in the order they
// are noted.
const std::array<std::pair<FieldIndex, const QString*>, 4> kRememberedFields = {{
    {FieldIndex::Company, &LibraryTables::kCompany},
    {FieldIndex::Department, &LibraryTables::kDepartment},
    {FieldIndex::Position, &LibraryTables::kPosition},
    {FieldIndex::Reason, &LibraryTables::kReason},
}};

const QString kNumberMarker = QStringLiteral("【证明编号】");

const QString& rawField(const Request& request, FieldIndex index)
{
    return request.fields[static_cast<size_t>(index)];
}

QDate issueDateOf(const Request& request)
{
    return request.dates.issued.isValid() ? request.dates.issued : QDate::currentDate();
}

} // namespace

Register::EventKind eventKindOf(LeavingKind kind)
{
    switch (kind) {
    case LeavingKind::Printed:
        return Register::EventKind::Printed;
    case LeavingKind::Copied:
        return Register::EventKind::Copied;
    case LeavingKind::Pdf:
    case LeavingKind::Batch:
        return Register::EventKind::PdfExported;
    case LeavingKind::Ofd:
        return Register::EventKind::OfdExported;
    }
    return Register::EventKind::PdfExported;
}

CertificateIssuer::CertificateIssuer() = default;

CertificateIssuer::~CertificateIssuer() = default;

void CertificateIssuer::useRegisterFile(const QString& path)
{
    m_registerPath = path;
    m_server.clear();
    m_external = nullptr;
    m_reg.reset();
    m_fileFailed = false;
}

void CertificateIssuer::useRegisterServer(const QString& conninfo)
{
    m_server = conninfo;
    m_external = nullptr;
    m_reg.reset();
    m_fileFailed = false;
}

void CertificateIssuer::useRegister(Register::CertificateRegister* reg)
{
    m_external = reg;
    m_reg.reset();
    m_fileFailed = false;
}

QString CertificateIssuer::registerName() const
{
    return m_server.isEmpty() ? m_registerPath : TeamConfig::displayName(m_server);
}

Register::CertificateRegister* CertificateIssuer::reg(QString* error)
{
    if (m_external) {
        return m_external;
    }
    if (!m_reg && !m_fileFailed) {
        m_reg = m_server.isEmpty() ? Register::CertificateRegister::open(m_registerPath, error)
                                   : Register::CertificateRegister::openServer(m_server, error);
        // A file that cannot be opened stays so for this issuer's life; a server may come back.
        m_fileFailed = !m_reg && m_server.isEmpty();
        if (m_reg) {
            m_openingNotice = m_reg->openingNotice();
        }
    } else if (!m_reg) {
        error->clear();
    }
    return m_reg.get();
}

QString CertificateIssuer::sealKeyFile() const
{
    if (!m_sealKeyPath.isEmpty() || m_registerPath.isEmpty()) {
        return m_sealKeyPath;
    }
    return Seal::sealKeyPathBeside(m_registerPath);
}

Sealed CertificateIssuer::seal(const SealSubject& subject, const QString& text)
{
    m_sealer.useKeyFile(sealKeyFile());
    return m_sealer.seal(subject, text);
}

QString CertificateIssuer::takeOpeningNotice()
{
    return std::exchange(m_openingNotice, QString());
}

bool CertificateIssuer::printsNumber(const QString& templateText)
{
    return templateText.contains(kNumberMarker);
}

QStringList CertificateIssuer::check(const Request& request)
{
    QStringList problems;
    // A certificate cannot state a contract that ends before it starts.
    if (request.templateText.contains(Legal::kContractTermMarker)) {
        const QString hint = Legal::contractTermHint(
            request.dates.contractStart, request.dates.contractEnd, request.dates.openEnded);
        if (!hint.isEmpty()) {
            problems << hint;
        }
    }
    return problems;
}

CertificateValues CertificateIssuer::valuesOf(const Request& request)
{
    CertificateValues values = Compose::certificateValuesOf(request.fields);
    const Legal::LegalDates& d = request.dates;
    if (d.contractStart.isValid()) {
        values.contractTerm = Legal::contractTermText(d.contractStart, d.contractEnd, d.openEnded);
    }
    values.serviceYears = Legal::serviceYears(d.joined, d.left).text;
    values.issueDate = Legal::longDate(issueDateOf(request));
    return values;
}

Register::FormValues CertificateIssuer::registerValuesOf(const Request& request)
{
    Register::FormValues values;
    for (size_t i = 0; i < Compose::kFormFields.size(); ++i) {
        const Compose::FormField& field = Compose::kFormFields[i];
        values.append({Compose::fieldLabel(field), Compose::trimmedValue(field, request.fields[i])});
    }
    Legal::LegalDates dates = request.dates;
    dates.issued = issueDateOf(request);
    for (const auto& [key, value] : Legal::recordedValues(request.templateText, dates)) {
        values.append({key, value});
    }
    return values;
}

Issued CertificateIssuer::issue(const Request& request, int width)
{
    Issued out;
    // A control or text-direction character would be registered and printed unseen: refused,
    // naming the field, before anything is remembered or numbered.
    CertificateValues typed = Compose::certificateValuesOf(request.fields);
    typed.reason = rawField(request, FieldIndex::Reason);
    if (const QString bad = Compose::certificateValuesProblem(typed); !bad.isEmpty()) {
        out.refusal = Issued::Refusal::Characters;
        out.problems << bad;
        return out;
    }
    out.problems = check(request);
    if (!out.problems.isEmpty()) {
        out.refusal = Issued::Refusal::Values;
        return out;
    }
    const bool numbered = printsNumber(request.templateText);

    // The register first: a certificate that cannot be made changes nothing, the library
    // included.
    Register::CertificateRegister* r = nullptr;
    if (m_use == RegisterUse::None) {
        if (numbered) {
            out.refusal = Issued::Refusal::Register;
            out.problems << QStringLiteral("模板中有【证明编号】，不登记就没有编号：这样的离职证明"
                                           "不能生成。");
            return out;
        }
    } else {
        QString error;
        r = reg(&error);
        if (!r) {
            if (m_use == RegisterUse::Required || numbered) {
                out.refusal = Issued::Refusal::Register;
                out.problems << (error.isEmpty() ? QStringLiteral("无法打开出具登记簿（%1）。")
                                                       .arg(QDir::toNativeSeparators(
                                                           registerName()))
                                                 : error);
                if (m_use != RegisterUse::Required) {
                    out.problems << QStringLiteral("模板中有【证明编号】，登记簿无法使用时不能"
                                                   "生成离职证明。");
                }
                return out;
            }
            if (!error.isEmpty()) {
                out.notice = error + u'\n' + Register::kIssuedWithoutRegister;
            }
        }
    }

    // The values used become their libraries' defaults, the reason as typed (note included).
    if (m_library) {
        QList<std::pair<QString, QString>> remembered;
        for (const auto& [index, table] : kRememberedFields) {
            remembered.append({*table, rawField(request, index)});
        }
        const StoreResult<bool> noted = m_library->rememberLibraryValues(remembered);
        out.libraryFailures = noted.failures;
        if (!noted.value) {
            // A team library whose server cannot be reached: nothing changes, the register
            // included.
            out.refusal = Issued::Refusal::Library;
            return out;
        }
    }

    out.values = valuesOf(request);
    if (!r) {
        out.text = Compose::ComposeCertificate(request.templateText, out.values, width);
        return out;
    }
    Register::NewEntry entry;
    entry.templateName = request.templateName;
    entry.templateText = request.templateText;
    entry.values = registerValuesOf(request);
    CertificateValues values = out.values;
    QString error;
    const std::optional<Register::IssuedEntry> made = r->addEntry(
        entry,
        [&](const QString& number) {
            values.certificateNumber = number;
            return Compose::ComposeCertificate(request.templateText, values, width);
        },
        &error);
    if (!made) {
        if (m_use == RegisterUse::Required || numbered) {
            out.refusal = Issued::Refusal::Register;
            out.problems << error;
            if (m_use != RegisterUse::Required) {
                out.problems << QStringLiteral("模板中有【证明编号】，登记簿无法使用时不能"
                                               "生成离职证明。");
            }
            return out;
        }
        out.notice = error + u'\n' + Register::kIssuedWithoutRegister;
        out.text = Compose::ComposeCertificate(request.templateText, out.values, width);
        return out;
    }
    out.values.certificateNumber = made->number;
    out.entryId = made->id;
    out.number = made->number;
    out.text = made->text;
    return out;
}

Left CertificateIssuer::leave(qint64 entryId, LeavingKind kind, const QString& text,
                             StagedFile* file, const Register::LeavingNote& note)
{
    return leaveTogether({Page{entryId, text, note}}, kind, file);
}

Left CertificateIssuer::leaveTogether(const QList<Page>& pages, LeavingKind kind,
                                      StagedFile* file)
{
    Left left;
    const auto fileError = [&](const QString& why) {
        return QStringLiteral("无法写入文件“%1”：%2")
            .arg(QDir::toNativeSeparators(file->target()), why);
    };
    QList<Register::CertificateRegister::Leaving> leavings;
    for (const Page& page : pages) {
        if (page.entryId != 0) {
            leavings.append(
                {page.entryId, eventKindOf(kind), page.text, Register::leavingDetail(page.note)});
        }
    }
    if (leavings.isEmpty()) {
        QString why;
        if (file && !file->place(&why)) {
            left.error = fileError(why);
            left.reason = why;
            return left;
        }
        left.ok = true;
        return left;
    }

    QString why;
    Register::CertificateRegister* r = reg(&why);
    if (!r) {
        if (file) {
            file->discard();
        }
        left.registerFailed = true;
        left.error = why.isEmpty() ? QStringLiteral("无法打开出具登记簿（%1）。")
                                         .arg(QDir::toNativeSeparators(registerName()))
                                   : why;
        return left;
    }
    // The file goes in place inside the register's transaction, as its last step.
    QString placeError;
    bool placeFailed = false;
    const auto place = [&](QString* e) {
        if (!file || file->place(&placeError)) {
            return true;
        }
        placeFailed = true;
        *e = placeError;
        return false;
    };
    if (!r->recordEvents(leavings, place, &why)) {
        if (file) {
            // Also when the commit itself failed after the rename: no file leaves unrecorded.
            file->discard();
        }
        left.registerFailed = !placeFailed;
        left.error = placeFailed ? fileError(placeError) : why;
        left.reason = placeFailed ? placeError : QString();
        return left;
    }
    left.ok = true;
    return left;
}

} // namespace Issue
