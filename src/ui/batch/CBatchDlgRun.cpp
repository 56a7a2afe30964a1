#include "ui/batch/CBatchDlg.h"

#include "issue/CertificateIssuer.h"
#include "ui/common/Notifier.h"
#include "ui/batch/BatchFileChooser.h"
#include "ui/common/WidgetText.h"
#include "ui/common/WordingPrompt.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>

// The width of the main window's result box as the PDF page is composed from it.
static constexpr int kCertificateWidth = 32;

std::optional<BatchOutput> CBatchDlg::chosenOutput()
{
    if (m_radioPerRow->isChecked()) {
        const QString folder = m_editFolder->text().trimmed();
        if (folder.isEmpty()) {
            Notifier::information(this, QStringLiteral("请选择保存离职证明的文件夹。"));
            return std::nullopt;
        }
        m_outputFolder = folder;
        return BatchOutput::perRow(folder, m_editPattern->text().trimmed());
    }
    QString path = m_editCombined->text().trimmed();
    if (path.isEmpty()) {
        Notifier::information(this, QStringLiteral("请选择合并的 PDF 文件。"));
        return std::nullopt;
    }
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        path += QStringLiteral(".pdf");
    }
    if (QFileInfo::exists(path) &&
        !Notifier::askYesNo(
            this, QStringLiteral("%1 已存在，要替换它吗？").arg(QDir::toNativeSeparators(path)))) {
        return std::nullopt;
    }
    m_outputFolder = QFileInfo(path).absolutePath();
    return BatchOutput::combined(path);
}

void CBatchDlg::OnStart()
{
    if (isRunning() || !m_sheet || m_sheet->acceptedCount() == 0) {
        return;
    }
    const std::optional<BatchOutput> output = chosenOutput();
    if (!output) {
        return;
    }
    m_labelSummary->hide();
    m_listSkipped->hide();
    m_listWording->hide();
    m_btnOpenFolder->hide();
    setIdle(false);
    SetButtonCaption(m_btnCancel, QStringLiteral("取消"));
    m_progress->setRange(0, int(m_sheet->records.size()));
    m_progress->setValue(0);

    // A run numbers every certificate in the register, or, asked for, none.
    const bool unregistered = m_checkUnregistered->isChecked();
    if (unregistered && Issue::CertificateIssuer::printsNumber(m_setup.templateText)) {
        Notifier::information(this, QStringLiteral("模板中有【证明编号】，不登记就没有编号：这样的"
                                                   "离职证明不能生成。"));
        setIdle(true);
        return;
    }
    m_issuer = std::make_unique<Issue::CertificateIssuer>();
    if (!m_setup.registerServer.isEmpty()) {
        m_issuer->useRegisterServer(m_setup.registerServer);
    } else {
        m_issuer->useRegisterFile(m_setup.registerPath);
    }
    const bool noRegister =
        unregistered || (m_setup.registerServer.isEmpty() && m_setup.registerPath.isEmpty());
    m_issuer->setRegisterUse(noRegister ? Issue::RegisterUse::None
                                        : Issue::RegisterUse::Required);
    m_writer = std::make_unique<BatchWriter>(m_setup.templateText, kCertificateWidth);
    m_writer->setIssuer(m_issuer.get());
    m_writer->setRowStarting(m_setup.rowStarting);
    m_writer->setTemplateName(m_setup.templateName);
    // No question in a batch: each certificate's wording hits go into the register with it and
    // are listed when the run is done.
    m_writer->setWordingPhrases(WordingPrompt::officePhrases(this));
    m_writer->setProgress([this](int done, int total) {
        QMetaObject::invokeMethod(
            this, [this, done, total] { showProgress(done, total); }, Qt::QueuedConnection);
    });
    const QList<BatchRecord> records = m_sheet->records;
    m_thread = QThread::create(
        [this, records, output = *output] { m_report = m_writer->run(records, output); });
    connect(m_thread, &QThread::finished, this, &CBatchDlg::showSummary);
    m_thread->start();
}

void CBatchDlg::showProgress(int done, int total)
{
    if (m_thread) {
        m_progress->setRange(0, total);
        m_progress->setValue(done);
    }
}

void CBatchDlg::OnCancel()
{
    if (isRunning()) {
        m_writer->cancel();
        m_btnCancel->setEnabled(false);
        SetButtonCaption(m_btnCancel, QStringLiteral("正在停止…"));
        return;
    }
    QDialog::reject();
}

void CBatchDlg::reject()
{
    if (isRunning()) {
        m_closeWhenDone = true;
        OnCancel();
        return;
    }
    QDialog::reject();
}

void CBatchDlg::showSummary()
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    // The register's connection was made on the run's thread and goes with the run.
    m_issuer.reset();
    m_btnCancel->setEnabled(true);
    SetButtonCaption(m_btnCancel, QStringLiteral("关闭"));
    m_btnStart->setEnabled(m_sheet && m_sheet->acceptedCount() > 0);
    setIdle(true);
    SetButtonCaption(m_btnCancel, QStringLiteral("关闭"));

    const BatchReport& r = m_report;
    QString text = QStringLiteral("已写入 %1 份离职证明").arg(r.written.size());
    if (!r.rejected.isEmpty()) {
        text += QStringLiteral("；跳过 %1 行（有问题）").arg(r.rejected.size());
    }
    if (!r.failed.isEmpty()) {
        text += QStringLiteral("；%1 行写入失败").arg(r.failed.size());
    }
    if (!r.registerStop.isEmpty()) {
        text += QStringLiteral("；登记簿无法使用，已停止，%1 行未写入").arg(r.notWritten.size());
    } else if (r.cancelled) {
        text += QStringLiteral("；已取消，%1 行未写入").arg(r.notWritten.size());
    }
    if (const int wording = r.wordingCount(); wording > 0) {
        text += m_checkUnregistered->isChecked()
                    ? QStringLiteral("；%1 份有措辞提示（已照写）").arg(wording)
                    : QStringLiteral("；%1 份有措辞提示（已照写，记入登记簿）").arg(wording);
    }
    if (m_checkUnregistered->isChecked()) {
        text += QStringLiteral("；本次不登记，证明没有编号");
    }
    text += QStringLiteral("。保存在 %1").arg(QDir::toNativeSeparators(m_outputFolder));
    m_labelSummary->setText(text);
    m_labelSummary->show();

    m_listSkipped->clear();
    const auto list = [this](const QList<BatchOutcome>& outcomes) {
        for (const BatchOutcome& o : outcomes) {
            m_listSkipped->addItem(
                QStringLiteral("第 %1 行（%2）：%3").arg(o.line).arg(o.name, o.reason));
        }
    };
    list(r.rejected);
    list(r.failed);
    list(r.notWritten);
    m_listSkipped->setVisible(m_listSkipped->count() > 0);
    // The first certificates with wording hits one a line, the rest counted, as the rows with
    // problems are.
    m_listWording->clear();
    const QStringList wording = batchWordingRows(r);
    for (qsizetype i = 0; i < wording.size() && i < kProblemRowsListed; ++i) {
        m_listWording->addItem(wording.at(i));
    }
    if (wording.size() > kProblemRowsListed) {
        m_listWording->addItem(
            QStringLiteral("另有 %1 份有措辞提示").arg(wording.size() - kProblemRowsListed));
    }
    m_listWording->setVisible(m_listWording->count() > 0);
    m_btnOpenFolder->setVisible(!r.written.isEmpty());
    m_progress->setValue(m_progress->maximum());
    // The register's own words, once, after the summary that says what it stopped.
    if (!r.registerStop.isEmpty()) {
        Notifier::information(this, r.registerStop);
    }
    emit batchFinished();
    if (m_closeWhenDone) {
        QDialog::reject();
    }
}

void CBatchDlg::OnOpenFolder()
{
    BatchFileChooser::openFolder(m_outputFolder);
}
