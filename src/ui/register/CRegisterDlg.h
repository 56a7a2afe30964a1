#pragma once

#include "issue/CertificateIssuer.h"
#include "register/RegisterTypes.h"

#include <QDate>
#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace Register {
class CertificateRegister;
}

// 登记簿: the list of every certificate made, a search by name, ID number, number or date range,
// the recorded text and events of the selected entry, and the commands on them. The register is
// the caller's and outlives the window.
class CRegisterDlg : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kPageSize = 100;

    explicit CRegisterDlg(Register::CertificateRegister* reg, QWidget* parent = nullptr);
    // The register file beside which this desk's signing key and trusted keys lie (for 查验 by
    // scan).
    void setKeyFolder(const QString& registerPath) { m_keyFolder = registerPath; }

    QTableWidget* list() const { return m_list; }
    QPlainTextEdit* textView() const { return m_text; }
    QTableWidget* eventList() const { return m_events; }
    // The entry whose text is shown; 0 when none.
    qint64 shownEntry() const { return m_entry ? m_entry->summary.id : 0; }
    // The day the deadlines are counted to (today unless a test says otherwise); the list is
    // read again.
    void setToday(const QDate& day);

public slots:
    void OnSearch();
    void OnClearSearch();
    void OnNextPage();
    void OnPreviousPage();
    void OnSelectionChanged();
    void OnShowFullId(bool full);
    void OnReprint();
    void OnReexportPdf();
    void OnVerify();
    void OnDeleteExpired();
    void OnExportCsv();
    // Walks the register's hash chain and numbers and shows the verdict (完整 / 在第 N 条处被改动).
    void OnAudit();
    void OnRecordDelivery();
    void OnRecordTransfer();

private:
    void buildControls();
    Register::SearchQuery queryFromForm() const;
    void reload();
    void showEntry(qint64 id);
    QString idText(const QString& id) const;
    // When the certificate first left, against its leaving day ("逾期 2 天"), or how long a
    // draft is overdue; empty when there is nothing to say.
    QString issueTiming(const Register::EntrySummary& r) const;
    // The entry shown left kavri as `kind` (with `file`, put in place with its record); false
    // after a notice when it did not. The list and the entry then show the event.
    bool leave(Issue::LeavingKind kind, const QString& text, StagedFile* file = nullptr,
               const Register::LeavingNote& note = {});
    // The shown entry's seal as `text` leaves again (see Issue::CertificateIssuer::seal);
    // nullopt after a notice when it cannot be signed.
    std::optional<Issue::Sealed> seal(const QString& text);
    QDate today() const;
    // The list read again with the shown entry kept selected.
    void reloadKeeping(qint64 id);
    QWidget* buildDutyControls(QWidget* parent);

    QString m_keyFolder;
    Register::CertificateRegister* m_reg;
    Register::SearchQuery m_query;
    qint64 m_total = 0;
    std::optional<Register::Entry> m_entry;
    bool m_fullIds = false;
    QDate m_today;

    QLineEdit* m_name = nullptr;
    QLineEdit* m_idNumber = nullptr;
    QLineEdit* m_number = nullptr;
    QCheckBox* m_byDate = nullptr;
    QComboBox* m_dateField = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QTableWidget* m_list = nullptr;
    QLabel* m_pageLabel = nullptr;
    QPushButton* m_previous = nullptr;
    QPushButton* m_next = nullptr;
    QLabel* m_entryLabel = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QTableWidget* m_events = nullptr;
    QPushButton* m_reprint = nullptr;
    QPushButton* m_reexport = nullptr;
    QCheckBox* m_undelivered = nullptr;
    QComboBox* m_deliveryMethod = nullptr;
    QLineEdit* m_waybill = nullptr;
    QCheckBox* m_receivedKnown = nullptr;
    QDateEdit* m_received = nullptr;
    QLineEdit* m_deliveryNote = nullptr;
    QPushButton* m_recordDelivery = nullptr;
    QDateEdit* m_transferDay = nullptr;
    QPushButton* m_recordTransfer = nullptr;
};
