#include "ui/library/CAddXxxDlg.h"

const QString CAddXxxDlg::kTemplateTitle = QStringLiteral("添加离职模板");

CAddXxxDlg::CAddXxxDlg(QWidget* parent) : CEntryEditorDlg({158, 1001, kTemplateTitle}, parent) {}

CAddXxxDlg::~CAddXxxDlg() = default;
