#include "ui/register/CVerifyDlg.h"

#include "ui/common/Notifier.h"
#include "register/CertificateRegister.h"
#include "register/IdMask.h"
#include "register/VerifyReport.h"
#include "scan/ScanVerify.h"
#include "seal/SealFiles.h"
#include "ui/common/OpenFileDialog.h"
#include "ui/common/WaitCursor.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {
QPlainTextEdit* textBox(QWidget* parent, const QString& name, const QString& accessible,
                        bool readOnly)
{
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessible);
    box->setReadOnly(readOnly);
    // Tab moves on to the next control: a pasted certificate needs no tab characters.
    box->setTabChangesFocus(true);
    return box;
}
} // namespace

CVerifyDlg::CVerifyDlg(Register::CertificateRegister* reg, QWidget* parent)
    : QDialog(parent), m_reg(reg)
{
    setWindowTitle(QStringLiteral("查验证明"));
    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel(QStringLiteral("输入证明编号，或粘贴证明全文："), this);
    layout->addWidget(prompt);
    m_input =
        textBox(this, QStringLiteral("verifyInput"), QStringLiteral("证明编号或证明全文"), false);
    prompt->setBuddy(m_input);
    layout->addWidget(m_input, 2);
    auto* verify = new QPushButton(QStringLiteral("查验"), this);
    verify->setObjectName(QStringLiteral("verifyButton"));
    verify->setAccessibleName(QStringLiteral("查验"));
    verify->setAutoDefault(false);
    auto* scan = new QPushButton(QStringLiteral("扫描件查验(&S)…"), this);
    scan->setObjectName(QStringLiteral("verifyScanButton"));
    scan->setAccessibleName(QStringLiteral("扫描件查验"));
    scan->setToolTip(QStringLiteral("选择证明的扫描件、照片或 PDF 文件，按其二维码查验；也可把文件拖到本窗口"));
    scan->setAutoDefault(false);
    m_fullId = new QPushButton(QStringLiteral("显示完整身份证号"), this);
    m_fullId->setObjectName(QStringLiteral("showFullIdButton"));
    m_fullId->setAccessibleName(QStringLiteral("显示完整身份证号"));
    m_fullId->setAutoDefault(false);
    m_fullId->setCheckable(true);
    auto* commands = new QHBoxLayout;
    commands->addWidget(verify);
    commands->addWidget(scan);
    commands->addWidget(m_fullId);
    commands->addStretch(1);
    layout->addLayout(commands);
    layout->addWidget(new QLabel(QStringLiteral("查验结果："), this));
    m_report = textBox(this, QStringLiteral("verifyReport"), QStringLiteral("查验结果"), true);
    layout->addWidget(m_report, 3);
    layout->addWidget(new QLabel(QStringLiteral("登记的文本："), this));
    m_recorded =
        textBox(this, QStringLiteral("verifyRecorded"), QStringLiteral("登记的文本"), true);
    layout->addWidget(m_recorded, 3);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    buttons->button(QDialogButtonBox::Close)->setAccessibleName(QStringLiteral("关闭"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(verify, &QPushButton::clicked, this, &CVerifyDlg::OnVerify);
    connect(m_fullId, &QPushButton::toggled, this, &CVerifyDlg::showResult);
    connect(scan, &QPushButton::clicked, this, &CVerifyDlg::OnVerifyScan);
    setAcceptDrops(true);
    resize(720, 640);
}

void CVerifyDlg::OnVerify()
{
    const QString input = m_input->toPlainText();
    m_result.reset();
    showResult();
    if (input.trimmed().isEmpty()) {
        Notifier::information(this, QStringLiteral("请输入证明编号，或粘贴证明全文。"));
        return;
    }
    QString error;
    m_result = m_reg->verify(input, &error);
    if (!m_result) {
        Notifier::information(this, error);
        return;
    }
    showResult();
}

void CVerifyDlg::showResult()
{
    m_report->clear();
    m_recorded->clear();
    if (!m_result) {
        return;
    }
    const Register::VerifyResult& result = *m_result;
    const QString id = result.entry ? result.entry->summary.idNumber : QString();
    const bool full = m_fullId->isChecked();
    // The report names the person with the ID number masked; the excerpts of a difference may
    // hold it whole. Both follow the button, like the text.
    QString report = Register::maskIdNumberIn(Register::verifyReport(result), id);
    if (full && !id.isEmpty()) {
        report.replace(Register::maskIdNumber(id), id);
    }
    m_report->setPlainText(report);
    if (result.entry && !result.entry->versions.isEmpty()) {
        // The version the text matched or was compared with; the latest for a number alone.
        const int wanted = result.matchedVersion > 0 ? result.matchedVersion
                                                     : result.entry->versions.last().versionNo;
        for (const Register::Version& v : result.entry->versions) {
            if (v.versionNo == wanted) {
                m_recorded->setPlainText(full ? v.text : Register::maskIdNumberIn(v.text, id));
            }
        }
    }
}

void CVerifyDlg::OnVerifyScan()
{
    const QString path = OpenFileDialog::getOpenFileName(
        this, QStringLiteral("选择证明的扫描件"), QString(),
        QStringLiteral("扫描件或 PDF (*.png *.jpg *.jpeg *.pdf);;所有文件 (*)"));
    if (!path.isEmpty()) {
        verifyScanFile(path);
    }
}

void CVerifyDlg::verifyScanFile(const QString& path)
{
    m_result.reset();
    m_report->clear();
    m_recorded->clear();
    const WaitCursor wait;
    QString error;
    std::optional<Seal::SealKey> own;
    QList<Seal::TrustedKey> trusted;
    if (!m_registerPath.isEmpty()) {
        own = Seal::loadOrCreateSealKey(Seal::sealKeyPathBeside(m_registerPath), false, &error);
        trusted = Seal::readTrustFolder(Seal::trustFolderBeside(m_registerPath));
    }
    const Seal::SealChecker checker(own ? &*own : nullptr, &trusted);
    const Scan::ScanReport report = Scan::verifyFile(path, checker, m_reg);
    if (!report.error.isEmpty()) {
        Notifier::information(this, report.error + QStringLiteral("。"));
        return;
    }
    m_report->setPlainText(Scan::reportLines(report).join(u'\n'));
    if (report.agreement == Scan::RegisterAgreement::Agrees && m_reg != nullptr) {
        QString ignored;
        if (const auto entry = m_reg->entryByNumber(report.check.facts.number, &ignored)) {
            for (const Register::Version& v : entry->versions) {
                if (v.versionNo == report.agreeingVersion) {
                    m_recorded->setPlainText(
                        m_fullId->isChecked()
                            ? v.text
                            : Register::maskIdNumberIn(v.text, entry->summary.idNumber));
                }
            }
        }
    }
}

namespace {
// The one local file a drag carries, or nothing.
QString droppedFile(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1 ||
        !data->urls().first().isLocalFile()) {
        return {};
    }
    return data->urls().first().toLocalFile();
}
} // namespace

void CVerifyDlg::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void CVerifyDlg::dropEvent(QDropEvent* event)
{
    const QString path = droppedFile(event->mimeData());
    if (!path.isEmpty()) {
        event->acceptProposedAction();
        verifyScanFile(path);
    }
}
