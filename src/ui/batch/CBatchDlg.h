#pragma once

#include "batch/BatchRecords.h"
#include "batch/BatchWriter.h"

#include <QDialog>
#include <QList>
#include <functional>
#include <memory>
#include <optional>

namespace Issue {
class CertificateIssuer;
}
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QThread;

// 批量生成: one certificate per row of a sheet. The clerk chooses the sheet, sees the first rows
// as they will be used and every row's problems, picks one PDF per row or one combined PDF and
// starts; a progress bar with 取消 runs while the worker thread writes, and a summary lists
// what was written and what was skipped, with a button that opens the folder.
// The libraries and their default entries are not touched.
class CBatchDlg : public QDialog
{
    Q_OBJECT

public:
    struct Setup
    {
        QString templateName;
        QString templateText;
        // The main window's current values (dates in the long form); a row borrows one only
        // where the clerk ticks its field.
        std::array<QString, kBatchFieldCount> windowValues;
        // The register every certificate written is numbered and recorded in: a file, or a
        // team's server (libpq connection text) when one is named. The run opens it on its own
        // thread.
        QString registerPath;
        QString registerServer;
        // Called on the worker thread as each row is begun, with its line (tests hold a run
        // there); may be empty.
        std::function<void(int line)> rowStarting;
    };

    static constexpr int kPreviewRows = 20;
    // Rows named one by one in the problem list before the rest are counted in one line.
    static constexpr int kProblemRowsListed = 50;

    CBatchDlg(QWidget* parent, Setup setup);
    ~CBatchDlg() override;

    // Reads the sheet as if the clerk had chosen it (also used by the choose button).
    void loadSheet(const QString& path);
    bool isRunning() const { return m_thread != nullptr; }

public slots:
    void reject() override;

signals:
    // Emitted when a run has ended and its summary is shown.
    void batchFinished();

private:
    void buildWindow();
    QWidget* buildSourceGroup();
    QWidget* buildFallbackGroup();
    QWidget* buildPreviewGroup();
    QWidget* buildOutputGroup();

    void OnChooseSheet();
    void OnChooseFolder();
    void OnChooseCombined();
    void OnStart();
    void OnCancel();
    void OnOpenFolder();

    void rereadSheet();
    void refreshPreview();
    void showProgress(int done, int total);
    void showSummary();
    void setIdle(bool idle);
    BatchFallback fallback() const;
    std::optional<BatchOutput> chosenOutput();

    Setup m_setup;
    QString m_sheetPath;
    std::optional<SheetTable> m_table;
    std::optional<BatchSheet> m_sheet;

    QLineEdit* m_editSheet = nullptr;
    QComboBox* m_comboSheet = nullptr;
    QComboBox* m_comboEncoding = nullptr;
    std::array<QCheckBox*, kBatchFieldCount> m_fillChecks{};
    QLabel* m_labelSheetInfo = nullptr;
    QTableWidget* m_tablePreview = nullptr;
    QListWidget* m_listProblems = nullptr;
    QRadioButton* m_radioPerRow = nullptr;
    QRadioButton* m_radioCombined = nullptr;
    QLineEdit* m_editFolder = nullptr;
    QLineEdit* m_editPattern = nullptr;
    QLineEdit* m_editCombined = nullptr;
    QCheckBox* m_checkUnregistered = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_labelSummary = nullptr;
    QListWidget* m_listSkipped = nullptr;
    QListWidget* m_listWording = nullptr; // the certificates written with wording hits
    QPushButton* m_btnStart = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QPushButton* m_btnOpenFolder = nullptr;

    std::unique_ptr<Issue::CertificateIssuer> m_issuer;
    std::unique_ptr<BatchWriter> m_writer;
    QThread* m_thread = nullptr;
    BatchReport m_report;
    QString m_outputFolder;
    bool m_closeWhenDone = false;
};
