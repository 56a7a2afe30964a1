#include "ui/register/CRegisterDlg.h"

#include "issue/CertificateIssuer.h"
#include "print/CertificateBody.h"
#include "register/CertificateRegister.h"
#include "register/DutyRecords.h"
#include "register/IdMask.h"
#include "register/LeaverDuties.h"
#include "register/LeavingNote.h"
#include "register/RegisterCsv.h"
#include "register/RegisterText.h"
#include "register/VerifyReport.h"
#include "seal/SealFiles.h"
#include "ui/common/Notifier.h"
#include "ui/common/SaveFileDialog.h"
#include "ui/print/CMyView.h"
#include "ui/print/PrintCommands.h"
#include "ui/register/CVerifyDlg.h"
#include "ui/register/RegisterSession.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Register;

namespace {

QPushButton* button(QWidget* parent, const QString& text, const char* name)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(text);
    b->setAutoDefault(false);
    return b;
}

template <class W> W* named(W* widget, const char* name, const QString& accessible)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setAccessibleName(accessible);
    return widget;
}

// A label that tells something: a screen reader speaks its text (a label without an accessible
// name of its own is named by its text, and says so when the text changes); what the line is
// goes into the description.
QLabel* infoLabel(QLabel* label, const char* name, const QString& description)
{
    label->setObjectName(QString::fromLatin1(name));
    label->setAccessibleDescription(description);
    return label;
}

QString localTime(const QDateTime& t)
{
    return t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

CRegisterDlg::CRegisterDlg(CertificateRegister* reg, QWidget* parent) : QDialog(parent), m_reg(reg)
{
    setWindowTitle(QStringLiteral("登记簿"));
    buildControls();
    reload();
    resize(1100, 760);
}

void CRegisterDlg::buildControls()
{
    auto* layout = new QVBoxLayout(this);

    // The search: any of the fields, all that are filled must hold.
    auto* search = new QGridLayout;
    auto addField = [this, search](int column, const QString& label, QLineEdit* edit) {
        auto* l = new QLabel(label, this);
        l->setBuddy(edit);
        search->addWidget(l, 0, column);
        search->addWidget(edit, 0, column + 1);
        connect(edit, &QLineEdit::returnPressed, this, &CRegisterDlg::OnSearch);
    };
    m_name = named(new QLineEdit(this), "searchName", QStringLiteral("姓名"));
    m_idNumber = named(new QLineEdit(this), "searchIdNumber", QStringLiteral("身份证号"));
    m_number = named(new QLineEdit(this), "searchNumber", QStringLiteral("证明编号"));
    addField(0, QStringLiteral("姓名："), m_name);
    addField(2, QStringLiteral("身份证号："), m_idNumber);
    addField(4, QStringLiteral("证明编号："), m_number);
    m_byDate = named(new QCheckBox(QStringLiteral("按日期"), this), "searchByDate",
                     QStringLiteral("按日期"));
    m_dateField = named(new QComboBox(this), "searchDateField", QStringLiteral("日期种类"));
    m_dateField->addItems({QStringLiteral("离职日期"), QStringLiteral("生成日期")});
    const QDate today = QDate::currentDate();
    m_from =
        named(new QDateEdit(today.addYears(-1), this), "searchFrom", QStringLiteral("起始日期"));
    m_to = named(new QDateEdit(today, this), "searchTo", QStringLiteral("截止日期"));
    for (QDateEdit* d : {m_from, m_to}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        d->setEnabled(false);
    }
    m_dateField->setEnabled(false);
    connect(m_byDate, &QCheckBox::toggled, this, [this](bool on) {
        m_dateField->setEnabled(on);
        m_from->setEnabled(on);
        m_to->setEnabled(on);
    });
    // The kind of date gets a label of its own: on Linux a screen reader names a drop-down by
    // its entry unless a label says what it is.
    auto* dateFieldLabel = new QLabel(QStringLiteral("日期种类："), this);
    dateFieldLabel->setBuddy(m_dateField);
    auto* dateField = new QHBoxLayout;
    dateField->addWidget(dateFieldLabel);
    dateField->addWidget(m_dateField, 1);
    search->addWidget(m_byDate, 1, 0);
    search->addLayout(dateField, 1, 1);
    auto* fromLabel = new QLabel(QStringLiteral("从："), this);
    fromLabel->setBuddy(m_from);
    search->addWidget(fromLabel, 1, 2);
    search->addWidget(m_from, 1, 3);
    auto* toLabel = new QLabel(QStringLiteral("到："), this);
    toLabel->setBuddy(m_to);
    search->addWidget(toLabel, 1, 4);
    search->addWidget(m_to, 1, 5);
    // The office's duty: certificates that left and whose receipt nobody has confirmed yet.
    m_undelivered = named(new QCheckBox(QStringLiteral("未确认送达"), this), "searchUndelivered",
                          QStringLiteral("未确认送达"));
    search->addWidget(m_undelivered, 2, 0);
    connect(m_undelivered, &QCheckBox::toggled, this, &CRegisterDlg::OnSearch);
    auto* find = button(this, QStringLiteral("查询"), "searchButton");
    auto* clear = button(this, QStringLiteral("清除条件"), "clearSearchButton");
    search->addWidget(find, 0, 6);
    search->addWidget(clear, 1, 6);
    layout->addLayout(search);
    connect(find, &QPushButton::clicked, this, &CRegisterDlg::OnSearch);
    connect(clear, &QPushButton::clicked, this, &CRegisterDlg::OnClearSearch);

    const QStringList headings = listHeadings() << QStringLiteral("出具时间")
                                                << QStringLiteral("送达")
                                                << QStringLiteral("档案社保转移");
    m_list = named(new QTableWidget(0, int(headings.size()), this), "registerList",
                   QStringLiteral("登记列表"));
    m_list->setHorizontalHeaderLabels(headings);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Tab goes on to the next control instead of through every cell; arrows move in the list.
    m_list->setTabKeyNavigation(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->setVisible(false);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(m_list, &QTableWidget::itemSelectionChanged, this, &CRegisterDlg::OnSelectionChanged);

    auto* paging = new QHBoxLayout;
    m_previous = button(this, QStringLiteral("上一页"), "previousPageButton");
    m_next = button(this, QStringLiteral("下一页"), "nextPageButton");
    m_pageLabel = infoLabel(new QLabel(this), "pageLabel", QStringLiteral("条数"));
    paging->addWidget(m_pageLabel, 1);
    paging->addWidget(m_previous);
    paging->addWidget(m_next);
    connect(m_previous, &QPushButton::clicked, this, &CRegisterDlg::OnPreviousPage);
    connect(m_next, &QPushButton::clicked, this, &CRegisterDlg::OnNextPage);

    // The selected entry: what it is, its recorded text, when and how it left.
    auto* detail = new QWidget(this);
    auto* detailLayout = new QVBoxLayout(detail);
    detailLayout->setContentsMargins(0, 0, 0, 0);
    m_entryLabel = infoLabel(new QLabel(detail), "entryLabel", QStringLiteral("登记信息"));
    m_entryLabel->setWordWrap(true);
    m_entryLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text = named(new QPlainTextEdit(detail), "entryText", QStringLiteral("登记的证明文本"));
    m_text->setReadOnly(true);
    m_events = named(new QTableWidget(0, 5, detail), "entryEvents", QStringLiteral("出具记录"));
    m_events->setHorizontalHeaderLabels({QStringLiteral("时间"), QStringLiteral("事件"),
                                         QStringLiteral("版本"), QStringLiteral("说明"),
                                         QStringLiteral("SHA-256")});
    m_events->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_events->setTabKeyNavigation(false);
    m_events->verticalHeader()->setVisible(false);
    m_events->horizontalHeader()->setStretchLastSection(true);
    // The record of a delivery is read whole; the hash may be cut.
    m_events->horizontalHeader()->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    auto* texts = new QSplitter(Qt::Horizontal, detail);
    texts->addWidget(m_text);
    texts->addWidget(m_events);
    detailLayout->addWidget(m_entryLabel);
    detailLayout->addWidget(texts, 1);
    detailLayout->addWidget(buildDutyControls(detail));

    auto* split = new QSplitter(Qt::Vertical, this);
    auto* top = new QWidget(split);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(m_list, 1);
    topLayout->addLayout(paging);
    split->addWidget(top);
    split->addWidget(detail);
    layout->addWidget(split, 1);

    auto* commands = new QHBoxLayout;
    m_reprint = button(this, QStringLiteral("重新打印"), "reprintButton");
    m_reexport = button(this, QStringLiteral("重新导出PDF"), "reexportPdfButton");
    auto* fullId = button(this, QStringLiteral("显示完整身份证号"), "showFullIdButton");
    fullId->setCheckable(true);
    auto* verify = button(this, QStringLiteral("查验"), "verifyButton");
    auto* expire = button(this, QStringLiteral("删除两年前的记录"), "deleteExpiredButton");
    auto* csv = button(this, QStringLiteral("导出CSV"), "exportCsvButton");
    auto* audit = button(this, QStringLiteral("校验完整性"), "auditButton");
    auto* close = button(this, QStringLiteral("关闭"), "closeButton");
    for (QPushButton* b : {m_reprint, m_reexport, fullId, verify, expire, csv, audit}) {
        commands->addWidget(b);
    }
    commands->addStretch(1);
    commands->addWidget(close);
    layout->addLayout(commands);
    connect(m_reprint, &QPushButton::clicked, this, &CRegisterDlg::OnReprint);
    connect(m_reexport, &QPushButton::clicked, this, &CRegisterDlg::OnReexportPdf);
    connect(fullId, &QPushButton::toggled, this, &CRegisterDlg::OnShowFullId);
    connect(verify, &QPushButton::clicked, this, &CRegisterDlg::OnVerify);
    connect(expire, &QPushButton::clicked, this, &CRegisterDlg::OnDeleteExpired);
    connect(csv, &QPushButton::clicked, this, &CRegisterDlg::OnExportCsv);
    connect(audit, &QPushButton::clicked, this, &CRegisterDlg::OnAudit);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* CRegisterDlg::buildDutyControls(QWidget* parent)
{
    // What the office did for the leaver after the certificate was made: how it was delivered
    // and when it was received, and when the personnel file and social insurance went over.
    auto* box = new QGroupBox(QStringLiteral("送达与转移"), parent);
    auto* grid = new QGridLayout(box);
    auto label = [box](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, box);
        l->setBuddy(buddy);
        return l;
    };
    m_deliveryMethod = named(new QComboBox(box), "deliveryMethod", QStringLiteral("送达方式"));
    for (const DeliveryMethod m : kDeliveryMethods) {
        m_deliveryMethod->addItem(deliveryMethodLabel(m), static_cast<int>(m));
    }
    m_waybill = named(new QLineEdit(box), "deliveryWaybill", QStringLiteral("运单号"));
    m_waybill->setMaxLength(kMaxWaybillLength);
    m_receivedKnown = named(new QCheckBox(QStringLiteral("已签收，日期："), box),
                            "deliveryReceivedKnown", QStringLiteral("已签收"));
    m_received = named(new QDateEdit(QDate::currentDate(), box), "deliveryReceived",
                       QStringLiteral("签收日期"));
    m_deliveryNote = named(new QLineEdit(box), "deliveryNote", QStringLiteral("送达备注"));
    m_deliveryNote->setMaxLength(kMaxDutyNoteLength);
    m_recordDelivery = button(box, QStringLiteral("记录送达"), "recordDeliveryButton");
    m_transferDay = named(new QDateEdit(QDate::currentDate(), box), "transferDay",
                          QStringLiteral("档案社保转移日期"));
    m_recordTransfer = button(box, QStringLiteral("记录转移"), "recordTransferButton");
    for (QDateEdit* d : {m_received, m_transferDay}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    }
    m_received->setEnabled(false);
    connect(m_receivedKnown, &QCheckBox::toggled, m_received, &QWidget::setEnabled);
    // Only a posted certificate has a waybill.
    m_waybill->setEnabled(false);
    connect(m_deliveryMethod, &QComboBox::currentIndexChanged, this, [this] {
        const bool post = m_deliveryMethod->currentData().toInt() ==
                          static_cast<int>(DeliveryMethod::Post);
        m_waybill->setEnabled(post);
        if (!post) {
            m_waybill->clear();
        }
    });
    grid->addWidget(label(QStringLiteral("送达方式："), m_deliveryMethod), 0, 0);
    grid->addWidget(m_deliveryMethod, 0, 1);
    grid->addWidget(label(QStringLiteral("运单号："), m_waybill), 0, 2);
    grid->addWidget(m_waybill, 0, 3);
    grid->addWidget(m_receivedKnown, 0, 4);
    grid->addWidget(m_received, 0, 5);
    grid->addWidget(label(QStringLiteral("备注："), m_deliveryNote), 0, 6);
    grid->addWidget(m_deliveryNote, 0, 7);
    grid->addWidget(m_recordDelivery, 0, 8);
    grid->addWidget(label(QStringLiteral("档案社保转移完成于："), m_transferDay), 1, 0, 1, 2);
    grid->addWidget(m_transferDay, 1, 2);
    grid->addWidget(m_recordTransfer, 1, 3);
    grid->setColumnStretch(7, 1);
    connect(m_recordDelivery, &QPushButton::clicked, this, &CRegisterDlg::OnRecordDelivery);
    connect(m_recordTransfer, &QPushButton::clicked, this, &CRegisterDlg::OnRecordTransfer);
    return box;
}

SearchQuery CRegisterDlg::queryFromForm() const
{
    SearchQuery q;
    q.name = m_name->text().trimmed();
    q.idNumber = m_idNumber->text().trimmed();
    q.number = m_number->text().trimmed();
    if (m_byDate->isChecked()) {
        q.dateField = m_dateField->currentIndex() == 0 ? DateField::Leaving : DateField::Created;
        q.from = m_from->date();
        q.to = m_to->date();
    }
    q.undeliveredOnly = m_undelivered->isChecked();
    q.limit = kPageSize;
    return q;
}

QString CRegisterDlg::idText(const QString& id) const
{
    return m_fullIds ? id : maskIdNumber(id);
}

void CRegisterDlg::reload()
{
    QString error;
    const std::optional<qint64> total = m_reg->count(m_query, &error);
    const std::optional<QList<EntrySummary>> rows =
        total ? m_reg->search(m_query, &error) : std::nullopt;
    m_list->setRowCount(0);
    if (!rows) {
        Notifier::information(this, error);
        return;
    }
    m_total = *total;
    m_list->setRowCount(static_cast<int>(rows->size()));
    for (int i = 0; i < rows->size(); ++i) {
        const EntrySummary& r = rows->at(i);
        const QStringList cells = listCells(r, m_fullIds)
                                  << issueTiming(r)
                                  << (r.delivery ? deliveryLabel(*r.delivery)
                                      : r.issued ? QStringLiteral("未确认送达")
                                                 : QString())
                                  << transferStatusText(r.leaveDay, r.transferDay, today());
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setData(Qt::UserRole, r.id);
            m_list->setItem(i, c, item);
        }
    }
    const qint64 first = m_total == 0 ? 0 : m_query.offset + 1;
    m_pageLabel->setText(QStringLiteral("共 %1 条，第 %2–%3 条")
                             .arg(m_total)
                             .arg(first)
                             .arg(m_query.offset + rows->size()));
    m_previous->setEnabled(m_query.offset > 0);
    m_next->setEnabled(m_query.offset + rows->size() < m_total);
    if (!rows->isEmpty()) {
        m_list->selectRow(0);
    } else {
        showEntry(0);
    }
}

void CRegisterDlg::setToday(const QDate& day)
{
    m_today = day;
    reload();
}

QDate CRegisterDlg::today() const
{
    return m_today.isValid() ? m_today : QDate::currentDate();
}

QString CRegisterDlg::issueTiming(const EntrySummary& r) const
{
    const QDate today = this->today();
    if (!r.issued) {
        return isOverdueDraft(r.issued, r.leaveDay, today)
                   ? QStringLiteral("待出具，已过 %1 天").arg(r.leaveDay.daysTo(today))
                   : QString();
    }
    if (!r.leaveDay.isValid()) {
        return {};
    }
    // The first time the certificate left: the entry's oldest leaving.
    QString error;
    const std::optional<Entry> e = m_reg->entry(r.id, &error);
    if (!e) {
        return {};
    }
    return issueTimingText(r.leaveDay, firstLeavingDay(*e));
}

void CRegisterDlg::OnSearch()
{
    m_query = queryFromForm();
    reload();
}

void CRegisterDlg::OnClearSearch()
{
    m_name->clear();
    m_idNumber->clear();
    m_number->clear();
    m_byDate->setChecked(false);
    {
        const QSignalBlocker quiet(m_undelivered);
        m_undelivered->setChecked(false);
    }
    OnSearch();
}

void CRegisterDlg::OnNextPage()
{
    m_query.offset += kPageSize;
    reload();
}

void CRegisterDlg::OnPreviousPage()
{
    m_query.offset = std::max(0, m_query.offset - kPageSize);
    reload();
}

void CRegisterDlg::OnSelectionChanged()
{
    const QList<QTableWidgetItem*> selected = m_list->selectedItems();
    showEntry(selected.isEmpty() ? 0 : selected.first()->data(Qt::UserRole).toLongLong());
}

void CRegisterDlg::showEntry(qint64 id)
{
    m_entry.reset();
    m_text->clear();
    m_events->setRowCount(0);
    m_entryLabel->clear();
    m_reprint->setEnabled(false);
    m_reexport->setEnabled(false);
    m_recordDelivery->setEnabled(false);
    m_recordTransfer->setEnabled(false);
    if (id == 0) {
        return;
    }
    QString error;
    m_entry = m_reg->entry(id, &error);
    if (!m_entry) {
        Notifier::information(this, error);
        return;
    }
    const Entry& e = *m_entry;
    m_entryLabel->setText(QStringLiteral("%1　%2　身份证号 %3　%4　模板“%5”　生成于 %6（%7）　%8")
                              .arg(e.summary.number, e.summary.name, idText(e.summary.idNumber),
                                   e.summary.company, e.templateName,
                                   localTime(e.summary.createdAt), e.operatorName,
                                   statusLabel(e.summary)));
    // The text shown and printed again is the one that left last (or the generated one).
    // The ID number inside the text is hidden as in the list until the user asks for it.
    QString text = e.versions.isEmpty() ? QString() : e.versions.last().text;
    if (!m_fullIds) {
        text = maskIdNumberIn(text, e.summary.idNumber);
    }
    m_text->setPlainText(text);
    m_events->setRowCount(static_cast<int>(e.events.size()));
    for (int i = 0; i < e.events.size(); ++i) {
        const Event& ev = e.events[i];
        const QStringList cells = {localTime(ev.at), eventKindLabel(ev.kind),
                                   QStringLiteral("第 %1 版").arg(ev.versionNo),
                                   eventDetailLabel(ev), ev.sha256};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            // A wording note can be wider than the list: whole under the pointer.
            if (c == 3) {
                item->setToolTip(cells[c]);
            }
            m_events->setItem(i, c, item);
        }
    }
    m_reprint->setEnabled(!e.versions.isEmpty());
    m_reexport->setEnabled(!e.versions.isEmpty());
    // Only a certificate that left can have been delivered; the transfer is due either way.
    m_recordDelivery->setEnabled(e.summary.issued);
    m_recordTransfer->setEnabled(true);
}

void CRegisterDlg::reloadKeeping(qint64 id)
{
    const int row = m_list->currentRow();
    reload();
    if (row >= 0 && row < m_list->rowCount() &&
        m_list->item(row, 0)->data(Qt::UserRole).toLongLong() == id) {
        m_list->selectRow(row);
    }
    showEntry(id);
}

void CRegisterDlg::OnRecordDelivery()
{
    if (!m_entry) {
        return;
    }
    Delivery d;
    d.method = static_cast<DeliveryMethod>(m_deliveryMethod->currentData().toInt());
    d.waybill = m_waybill->text();
    d.received = m_receivedKnown->isChecked() ? m_received->date() : QDate();
    d.note = m_deliveryNote->text();
    QString error;
    const qint64 id = m_entry->summary.id;
    if (!m_reg->recordDelivery(id, d, &error)) {
        Notifier::information(this, error);
        return;
    }
    m_waybill->clear();
    m_deliveryNote->clear();
    m_receivedKnown->setChecked(false);
    reloadKeeping(id);
}

void CRegisterDlg::OnRecordTransfer()
{
    if (!m_entry) {
        return;
    }
    QString error;
    const qint64 id = m_entry->summary.id;
    if (!m_reg->recordTransfer(id, m_transferDay->date(), &error)) {
        Notifier::information(this, error);
        return;
    }
    reloadKeeping(id);
}

void CRegisterDlg::OnShowFullId(bool full)
{
    m_fullIds = full;
    const qint64 shown = shownEntry();
    reload();
    if (shown != 0) {
        showEntry(shown);
    }
}

std::optional<Issue::Sealed> CRegisterDlg::seal(const QString& text)
{
    // Signed again as it leaves again, with this desk's key, from what the register holds.
    Issue::CertificateIssuer issuer;
    if (!m_keyFolder.isEmpty()) {
        issuer.useSealKeyFile(Seal::sealKeyPathBeside(m_keyFolder));
    }
    Issue::Sealed sealed = issuer.seal(Issue::sealSubjectOf(*m_entry), text);
    if (sealed.failed()) {
        Notifier::information(this, sealed.error);
        return std::nullopt;
    }
    return sealed;
}

bool CRegisterDlg::leave(Issue::LeavingKind kind, const QString& text, StagedFile* file,
                         const Register::LeavingNote& note)
{
    // Through the issuer, as every certificate that leaves kavri.
    Issue::CertificateIssuer issuer;
    issuer.useRegister(m_reg);
    const Issue::Left left = issuer.leave(m_entry->summary.id, kind, text, file, note);
    if (!left) {
        Notifier::information(this, left.error);
        return false;
    }
    reloadKeeping(m_entry->summary.id);
    return true;
}

void CRegisterDlg::OnReprint()
{
    if (!m_entry || m_entry->versions.isEmpty()) {
        return;
    }
    const QString text = m_entry->versions.last().text;
    // The wording is checked before the printer dialog: stopped there, nothing is printed.
    std::optional<LeavingNote> note = RegisterSession::confirmWording(this, text);
    if (!note) {
        return;
    }
    const std::optional<Issue::Sealed> sealed = seal(text);
    if (!sealed) {
        return;
    }
    const QString body = CertificateBody(text);
    CMyView view(&body);
    view.setVerificationCode(sealed->code);
    if (view.OnFilePrint(this)) {
        note->seal = sealed->seal;
        leave(Issue::LeavingKind::Printed, text, nullptr, *note);
    }
}

void CRegisterDlg::OnReexportPdf()
{
    if (!m_entry || m_entry->versions.isEmpty()) {
        return;
    }
    const QString text = m_entry->versions.last().text;
    const CertificateOfdInfo info{m_entry->summary.company, {m_entry->summary.number}, {}};
    // Checked before a file name is asked for: stopped there, no file is written.
    std::optional<LeavingNote> note = RegisterSession::confirmWording(this, text);
    if (!note) {
        return;
    }
    const std::optional<Issue::Sealed> sealed = seal(text);
    if (!sealed) {
        return;
    }
    note->seal = sealed->seal;
    PrintCommands::ExportPdf(
        this, text, m_entry->summary.name, info,
        [this, text, note = *note](StagedFile* file, PrintCommands::ExportFormat format) {
            return leave(format == PrintCommands::ExportFormat::Ofd ? Issue::LeavingKind::Ofd
                                                                    : Issue::LeavingKind::Pdf,
                         text, file, note);
        },
        sealed->code);
}

void CRegisterDlg::OnVerify()
{
    CVerifyDlg verify(m_reg, this);
    verify.setKeyFolder(m_keyFolder);
    verify.exec();
}

void CRegisterDlg::OnDeleteExpired()
{
    QString error;
    const std::optional<qint64> count = m_reg->countExpired(&error);
    if (!count) {
        Notifier::information(this, error);
        return;
    }
    const QString cutoff = m_reg->retentionCutoff().toString(QStringLiteral("yyyy年M月d日"));
    if (*count == 0) {
        Notifier::information(
            this, QStringLiteral("没有可以删除的记录：只有离职日期在%1之前、且两年来未再出具的"
                                 "记录才能删除。")
                      .arg(cutoff));
        return;
    }
    if (!Notifier::askYesNo(this, QStringLiteral("将删除 %1 条离职日期在%2之前的记录，连同其文本和"
                                                 "出具记录，删除后无法恢复。\n确定删除吗？")
                                      .arg(*count)
                                      .arg(cutoff))) {
        return;
    }
    const std::optional<qint64> deleted = m_reg->deleteExpired(*count, &error);
    if (!deleted) {
        Notifier::information(this, error);
        return;
    }
    Notifier::information(this, QStringLiteral("已删除 %1 条记录。").arg(*deleted));
    m_query.offset = 0;
    reload();
}

void CRegisterDlg::OnAudit()
{
    QString error;
    const std::optional<AuditResult> result = m_reg->audit(QString(), &error);
    if (!result) {
        Notifier::information(this, error);
        return;
    }
    Notifier::information(this, QStringLiteral("登记簿") + auditReport(*result));
}

void CRegisterDlg::OnExportCsv()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = QDir::homePath();
    }
    const QString suggested =
        QDir(folder).filePath(QStringLiteral("登记簿-%1.csv")
                                  .arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
    const QString path = SaveFileDialog::getSaveFileName(this, QStringLiteral("导出CSV"), suggested,
                                                         QStringLiteral("CSV 文件 (*.csv)"));
    if (path.isEmpty()) {
        return;
    }
    QString error;
    // The list's current search; ID numbers in full only while they are shown in full.
    const std::optional<qint64> rows = m_reg->exportCsv(path, m_query, m_fullIds, &error);
    if (!rows) {
        Notifier::information(this, error);
        return;
    }
    Notifier::information(this, QStringLiteral("已将 %1 条记录导出到“%2”。")
                                    .arg(*rows)
                                    .arg(QDir::toNativeSeparators(path)));
}
