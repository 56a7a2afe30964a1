#pragma once

#include "ui/library/CEntryEditorDlg.h"

// The editor for an existing library entry (dialog template 159): the browser presets the
// name and the text; the template text box wraps long lines at its edge.
class CModXxxDlg : public CEntryEditorDlg
{
    Q_OBJECT
public:
    explicit CModXxxDlg(QWidget* parent = nullptr);
    ~CModXxxDlg() override;

    static const QString kTemplateTitle; // "修改离职模板"

protected:
    void OnInitDialog() override;
};
