#include "ui/batch/CBatchDlg.h"

#include "ui/common/Notifier.h"
#include "batch/BatchFileNames.h"
#include "batch/SheetFile.h"
#include "batch/XlsxReader.h"
#include "ui/common/OpenFileDialog.h"
#include "ui/common/SaveFileDialog.h"
#include "ui/common/WidgetText.h"
#include "ui/batch/BatchFileChooser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

namespace {

QPushButton* makeButton(const QString& text, const char* objectName, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAccessibleName(QString(text).remove(QStringLiteral("…")));
    button->setAutoDefault(false);
    return button;
}

template <typename W> W* named(W* widget, const char* objectName, const QString& accessibleName)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setAccessibleName(accessibleName);
    return widget;
}

// A label that tells something: a screen reader speaks its text (a label without an accessible
// name of its own is named by its text, and says so when the text changes); what the line is
// goes into the description.
QLabel* infoLabel(QLabel* label, const char* objectName, const QString& description)
{
    label->setObjectName(QString::fromLatin1(objectName));
    label->setAccessibleDescription(description);
    return label;
}


} // namespace

CBatchDlg::CBatchDlg(QWidget* parent, Setup setup) : QDialog(parent), m_setup(std::move(setup))
{
    setWindowTitle(QStringLiteral("批量生成"));
    setObjectName(QStringLiteral("batchDialog"));
    setAccessibleName(QStringLiteral("批量生成"));
    buildWindow();
    setIdle(true);
}

CBatchDlg::~CBatchDlg()
{
    if (m_thread) {
        m_writer->cancel();
        m_thread->wait();
        delete m_thread;
    }
}

void CBatchDlg::buildWindow()
{
    auto* layout = new QVBoxLayout(this);
    auto* templateLabel =
        new QLabel(QStringLiteral("模板：%1")
                       .arg(m_setup.templateName.isEmpty() ? QStringLiteral("（未选择）")
                                                           : m_setup.templateName),
                   this);
    templateLabel->setObjectName(QStringLiteral("batchTemplate"));
    layout->addWidget(templateLabel);
    layout->addWidget(buildSourceGroup());
    layout->addWidget(buildFallbackGroup());
    layout->addWidget(buildPreviewGroup(), 1);
    layout->addWidget(buildOutputGroup());

    m_progress = named(new QProgressBar(this), "batchProgress", QStringLiteral("进度"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    layout->addWidget(m_progress);

    m_labelSummary = infoLabel(new QLabel(this), "batchSummary", QStringLiteral("结果"));
    m_labelSummary->setWordWrap(true);
    m_labelSummary->hide();
    layout->addWidget(m_labelSummary);
    m_listSkipped =
        named(new QListWidget(this), "batchSkipped", QStringLiteral("跳过或未写入的行"));
    m_listSkipped->setMaximumHeight(90);
    m_listSkipped->hide();
    layout->addWidget(m_listSkipped);
    m_listWording =
        named(new QListWidget(this), "batchWording", QStringLiteral("有措辞提示的证明"));
    m_listWording->setMaximumHeight(90);
    m_listWording->hide();
    layout->addWidget(m_listWording);

    auto* buttons = new QHBoxLayout;
    m_btnOpenFolder = makeButton(QStringLiteral("打开文件夹"), "batchOpenFolder", this);
    m_btnOpenFolder->hide();
    m_btnStart = makeButton(QStringLiteral("开始生成"), "batchStart", this);
    m_btnCancel = makeButton(QStringLiteral("取消"), "batchCancel", this);
    buttons->addWidget(m_btnOpenFolder);
    buttons->addStretch(1);
    buttons->addWidget(m_btnStart);
    buttons->addWidget(m_btnCancel);
    layout->addLayout(buttons);

    connect(m_btnStart, &QPushButton::clicked, this, &CBatchDlg::OnStart);
    connect(m_btnCancel, &QPushButton::clicked, this, &CBatchDlg::OnCancel);
    connect(m_btnOpenFolder, &QPushButton::clicked, this, &CBatchDlg::OnOpenFolder);
    resize(920, 860);
}

QWidget* CBatchDlg::buildSourceGroup()
{
    auto* group = new QGroupBox(QStringLiteral("表格"), this);
    auto* grid = new QGridLayout(group);
    m_editSheet = named(new QLineEdit(group), "batchSheetFile", QStringLiteral("表格文件"));
    m_editSheet->setReadOnly(true);
    m_editSheet->setPlaceholderText(QStringLiteral("XLSX 或 CSV，第一行为表头"));
    auto* choose = makeButton(QStringLiteral("选择表格…"), "batchChooseSheet", group);
    m_comboSheet = named(new QComboBox(group), "batchSheetName", QStringLiteral("工作表"));
    m_comboEncoding = named(new QComboBox(group), "batchEncoding", QStringLiteral("编码"));
    m_comboEncoding->addItem(QStringLiteral("自动识别"), int(CsvReader::Encoding::Detect));
    m_comboEncoding->addItem(QStringLiteral("UTF-8"), int(CsvReader::Encoding::Utf8));
    m_comboEncoding->addItem(QStringLiteral("GB18030/GBK"), int(CsvReader::Encoding::Gb18030));
    // Each box is linked to its label: on Linux a screen reader names a drop-down by its entry
    // unless a label says what it is.
    auto labelFor = [group](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text, group);
        label->setBuddy(buddy);
        return label;
    };
    grid->addWidget(labelFor(QStringLiteral("文件："), m_editSheet), 0, 0);
    grid->addWidget(m_editSheet, 0, 1, 1, 3);
    grid->addWidget(choose, 0, 4);
    grid->addWidget(labelFor(QStringLiteral("工作表："), m_comboSheet), 1, 0);
    grid->addWidget(m_comboSheet, 1, 1);
    grid->addWidget(labelFor(QStringLiteral("CSV 编码："), m_comboEncoding), 1, 2);
    grid->addWidget(m_comboEncoding, 1, 3);
    grid->setColumnStretch(1, 1);
    connect(choose, &QPushButton::clicked, this, &CBatchDlg::OnChooseSheet);
    connect(m_comboSheet, &QComboBox::activated, this, &CBatchDlg::rereadSheet);
    connect(m_comboEncoding, &QComboBox::activated, this, &CBatchDlg::rereadSheet);
    return group;
}

QWidget* CBatchDlg::buildFallbackGroup()
{
    auto* group = new QGroupBox(QStringLiteral("表格中留空的项使用主窗口当前的值"), this);
    auto* grid = new QGridLayout(group);
    int placed = 0;
    for (BatchField field : kBatchFields) {
        if (field == Compose::FieldIndex::Name || field == Compose::FieldIndex::IdNumber ||
            !field.isFormField()) {
            continue; // a person's own data never comes from the window
        }
        const QString header = batchFieldHeader(field);
        const QString value = m_setup.windowValues[field.index()];
        auto* check = new QCheckBox(
            value.isEmpty() ? header : QStringLiteral("%1（%2）").arg(header, value), group);
        check->setObjectName(QStringLiteral("batchFill_%1").arg(field.index()));
        check->setAccessibleName(QStringLiteral("留空时使用%1").arg(header));
        check->setEnabled(!value.isEmpty());
        m_fillChecks[field.index()] = check;
        grid->addWidget(check, placed / 4, placed % 4);
        ++placed;
        connect(check, &QCheckBox::toggled, this, &CBatchDlg::refreshPreview);
    }
    return group;
}

QWidget* CBatchDlg::buildPreviewGroup()
{
    auto* group = new QGroupBox(QStringLiteral("预览（生成前检查）"), this);
    auto* box = new QVBoxLayout(group);
    m_labelSheetInfo = infoLabel(new QLabel(QStringLiteral("请选择表格文件。"), group),
                                 "batchSheetInfo", QStringLiteral("表格概况"));
    m_labelSheetInfo->setWordWrap(true);
    m_tablePreview = named(new QTableWidget(group), "batchPreview", QStringLiteral("前几行预览"));
    QStringList headers{QStringLiteral("行号")};
    for (int i = 0; i < 9; ++i) {
        headers << batchFieldHeader(kBatchFields[i]);
    }
    headers << QStringLiteral("问题");
    m_tablePreview->setColumnCount(int(headers.size()));
    m_tablePreview->setHorizontalHeaderLabels(headers);
    m_tablePreview->verticalHeader()->hide();
    m_tablePreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab goes on to the next control instead of through every cell.
    m_tablePreview->setTabKeyNavigation(false);
    m_tablePreview->horizontalHeader()->setStretchLastSection(true);
    m_tablePreview->setMinimumHeight(170);
    m_listProblems = named(new QListWidget(group), "batchProblems", QStringLiteral("有问题的行"));
    m_listProblems->setMaximumHeight(90);
    box->addWidget(m_labelSheetInfo);
    box->addWidget(m_tablePreview, 1);
    box->addWidget(new QLabel(QStringLiteral("有问题的行（不会生成）："), group));
    box->addWidget(m_listProblems);
    return group;
}

QWidget* CBatchDlg::buildOutputGroup()
{
    auto* group = new QGroupBox(QStringLiteral("输出"), this);
    auto* grid = new QGridLayout(group);
    m_radioPerRow = named(new QRadioButton(QStringLiteral("每行一个 PDF"), group), "batchPerRow",
                          QStringLiteral("每行一个 PDF"));
    m_radioCombined = named(new QRadioButton(QStringLiteral("合并为一个 PDF"), group),
                            "batchCombined", QStringLiteral("合并为一个 PDF"));
    m_radioPerRow->setChecked(true);
    m_editFolder = named(new QLineEdit(group), "batchFolder", QStringLiteral("保存到文件夹"));
    m_editPattern = named(new QLineEdit(BatchFileNames::kDefaultPattern, group), "batchPattern",
                          QStringLiteral("文件名格式"));
    m_editPattern->setToolTip(QStringLiteral("可用：{姓名} {离职日期} {入职日期} {公司名称} {部门} "
                                             "{职位} {行号}"));
    m_editCombined = named(new QLineEdit(group), "batchCombinedFile", QStringLiteral("合并文件"));
    auto* chooseFolder = makeButton(QStringLiteral("选择文件夹…"), "batchChooseFolder", group);
    auto* chooseCombined = makeButton(QStringLiteral("选择文件…"), "batchChooseCombined", group);
    grid->addWidget(m_radioPerRow, 0, 0);
    grid->addWidget(m_editFolder, 0, 1);
    grid->addWidget(chooseFolder, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("文件名："), group), 1, 0, Qt::AlignRight);
    grid->addWidget(m_editPattern, 1, 1);
    grid->addWidget(m_radioCombined, 2, 0);
    grid->addWidget(m_editCombined, 2, 1);
    grid->addWidget(chooseCombined, 2, 2);
    // Asked for on purpose only: the certificates are then neither numbered nor recorded.
    m_checkUnregistered =
        named(new QCheckBox(QStringLiteral("本次不登记（证明不编号）"), group),
              "batchUnregistered", QStringLiteral("本次不登记"));
    grid->addWidget(m_checkUnregistered, 3, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    connect(chooseFolder, &QPushButton::clicked, this, &CBatchDlg::OnChooseFolder);
    connect(chooseCombined, &QPushButton::clicked, this, &CBatchDlg::OnChooseCombined);
    return group;
}

void CBatchDlg::OnChooseSheet()
{
    const QString path = OpenFileDialog::getOpenFileName(
        this, QStringLiteral("选择离职人员表格"),
        m_sheetPath.isEmpty() ? QDir::homePath() : QFileInfo(m_sheetPath).absolutePath(),
        QStringLiteral("表格 (*.xlsx *.csv *.txt);;所有文件 (*)"));
    if (!path.isEmpty()) {
        loadSheet(path);
    }
}

void CBatchDlg::loadSheet(const QString& path)
{
    m_sheetPath = path;
    m_editSheet->setText(QDir::toNativeSeparators(path));
    m_comboSheet->clear();
    const bool isXlsx =
        QFileInfo(path).suffix().compare(QStringLiteral("xlsx"), Qt::CaseInsensitive) == 0;
    if (isXlsx) {
        QString error;
        if (const std::optional<QStringList> names = XlsxReader::sheetNames(path, &error)) {
            m_comboSheet->addItems(*names);
        }
    }
    m_comboSheet->setEnabled(m_comboSheet->count() > 1);
    m_comboEncoding->setEnabled(!isXlsx);
    if (m_editFolder->text().isEmpty()) {
        m_editFolder->setText(QFileInfo(path).absolutePath() + QStringLiteral("/离职证明"));
    }
    if (m_editCombined->text().isEmpty()) {
        m_editCombined->setText(QFileInfo(path).absolutePath() + u'/' +
                                QFileInfo(path).completeBaseName() +
                                QStringLiteral("-离职证明.pdf"));
    }
    rereadSheet();
}

void CBatchDlg::rereadSheet()
{
    m_table.reset();
    if (m_sheetPath.isEmpty()) {
        refreshPreview();
        return;
    }
    SheetFile::Options options;
    options.sheetName = m_comboSheet->currentText();
    options.encoding = CsvReader::Encoding(m_comboEncoding->currentData().toInt());
    QString error;
    m_table = SheetFile::read(m_sheetPath, options, &error);
    refreshPreview();
    if (!m_table) {
        Notifier::information(this, QStringLiteral("无法读取表格：%1").arg(error));
    }
}

BatchFallback CBatchDlg::fallback() const
{
    BatchFallback result;
    for (BatchField field : kBatchFields) {
        const QCheckBox* check = m_fillChecks[field.index()];
        if (check && check->isChecked()) {
            result.set(field, m_setup.windowValues[field.index()]);
        }
    }
    return result;
}

void CBatchDlg::refreshPreview()
{
    m_sheet.reset();
    m_tablePreview->setRowCount(0);
    m_listProblems->clear();
    if (!m_table) {
        m_labelSheetInfo->setText(QStringLiteral("请选择表格文件。"));
        setIdle(true);
        return;
    }
    QString error;
    m_sheet = prepareBatchSheet(*m_table, m_setup.templateText, fallback(), &error);
    if (!m_sheet) {
        m_labelSheetInfo->setText(error);
        setIdle(true);
        return;
    }
    QString info = QStringLiteral("共 %1 行：可生成 %2 行，有问题 %3 行。")
                       .arg(m_sheet->records.size())
                       .arg(m_sheet->acceptedCount())
                       .arg(m_sheet->records.size() - m_sheet->acceptedCount());
    if (!m_sheet->columns.unknown.isEmpty()) {
        info += QStringLiteral("未使用的列：%1。").arg(m_sheet->columns.unknown.join(u'、'));
    }
    if (!m_sheet->columns.duplicates.isEmpty()) {
        info += QStringLiteral("重复的列（只用第一列）：%1。")
                    .arg(m_sheet->columns.duplicates.join(u'、'));
    }
    m_labelSheetInfo->setText(info);

    const int shown = int(qMin<qsizetype>(kPreviewRows, m_sheet->records.size()));
    m_tablePreview->setRowCount(shown);
    for (int row = 0; row < shown; ++row) {
        const BatchRecord& record = m_sheet->records.at(row);
        m_tablePreview->setItem(row, 0, new QTableWidgetItem(QString::number(record.line)));
        for (int i = 0; i < 9; ++i) {
            m_tablePreview->setItem(row, i + 1,
                                    new QTableWidgetItem(record.value(kBatchFields[i])));
        }
        auto* problems =
            new QTableWidgetItem((record.problems + record.warnings).join(QStringLiteral("；")));
        if (!record.accepted()) {
            problems->setForeground(Qt::red);
        } else if (!record.warnings.isEmpty()) {
            problems->setForeground(QColor(176, 96, 0));
        }
        m_tablePreview->setItem(row, 10, problems);
    }
    // The first rows with problems one a line; the rest in one line, so that a sheet of
    // thousands of bad rows neither floods the list nor hides how many there are.
    qsizetype unlisted = 0;
    for (const BatchRecord& record : m_sheet->records) {
        if (record.accepted() && record.warnings.isEmpty()) {
            continue;
        }
        if (m_listProblems->count() >= kProblemRowsListed) {
            ++unlisted;
        } else if (!record.accepted()) {
            m_listProblems->addItem(QStringLiteral("第 %1 行（%2）：%3")
                                        .arg(record.line)
                                        .arg(record.value(Compose::FieldIndex::Name),
                                             record.problems.join(QStringLiteral("；"))));
        } else if (!record.warnings.isEmpty()) {
            m_listProblems->addItem(QStringLiteral("第 %1 行（%2）：%3（仍会生成）")
                                        .arg(record.line)
                                        .arg(record.value(Compose::FieldIndex::Name),
                                             record.warnings.join(QStringLiteral("；"))));
        }
    }
    if (unlisted > 0) {
        m_listProblems->addItem(QStringLiteral("另有 %1 行有同样的问题").arg(unlisted));
    }
    setIdle(true);
}

void CBatchDlg::OnChooseFolder()
{
    const QString folder = BatchFileChooser::getExistingDirectory(
        this, QStringLiteral("选择保存离职证明的文件夹"), m_editFolder->text());
    if (!folder.isEmpty()) {
        m_editFolder->setText(folder);
        m_radioPerRow->setChecked(true);
    }
}

void CBatchDlg::OnChooseCombined()
{
    const QString path =
        SaveFileDialog::getSaveFileName(this, QStringLiteral("保存合并的 PDF"),
                                        m_editCombined->text(), QStringLiteral("PDF 文件 (*.pdf)"));
    if (!path.isEmpty()) {
        m_editCombined->setText(path);
        m_radioCombined->setChecked(true);
    }
}

void CBatchDlg::setIdle(bool idle)
{
    const bool canStart = idle && m_sheet && m_sheet->acceptedCount() > 0;
    m_btnStart->setEnabled(canStart);
    // While the worker writes, nothing that decides what it writes can change.
    const QList<QWidget*> settings = {m_editPattern,  m_editFolder,    m_editCombined,
                                      m_radioPerRow,  m_radioCombined, m_checkUnregistered};
    for (QWidget* w : settings) {
        w->setEnabled(idle);
    }
    for (const char* name : {"batchChooseSheet", "batchChooseFolder", "batchChooseCombined"}) {
        if (auto* button = findChild<QPushButton*>(QString::fromLatin1(name))) {
            button->setEnabled(idle);
        }
    }
    for (size_t i = 0; i < m_fillChecks.size(); ++i) {
        if (m_fillChecks[i]) {
            m_fillChecks[i]->setEnabled(idle && !m_setup.windowValues[i].isEmpty());
        }
    }
    m_comboSheet->setEnabled(idle && m_comboSheet->count() > 1);
    m_comboEncoding->setEnabled(
        idle && !m_sheetPath.endsWith(QStringLiteral(".xlsx"), Qt::CaseInsensitive));
    SetButtonCaption(m_btnCancel, QStringLiteral("取消"));
}
