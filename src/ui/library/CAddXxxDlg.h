#pragma once

#include "ui/library/CEntryEditorDlg.h"

// The editor for a new library entry (dialog template 158): both boxes start empty; the
// template text box does not wrap lines and scrolls sideways.
class CAddXxxDlg : public CEntryEditorDlg
{
    Q_OBJECT
public:
    explicit CAddXxxDlg(QWidget* parent = nullptr);
    ~CAddXxxDlg() override;

    static const QString kTemplateTitle; // "添加离职模板"
};
