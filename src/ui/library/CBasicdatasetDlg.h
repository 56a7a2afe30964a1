#pragma once

#include <QDialog>
#include <QString>

class CDbVisit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TypedTextLimit;

// The library browser: the top-level entries of one library in a tree, the selected entry's
// content in a preview box, and Add, Modify and Delete. Every change goes to the database at
// once and the tree is then read again; closing the browser stores nothing and tells the
// opener nothing. The opener sets the eight configuration members before the run.
class CBasicdatasetDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CBasicdatasetDlg(CDbVisit& dbVisit, QWidget* parent = nullptr);
    ~CBasicdatasetDlg() override;

    QString m_strTitle;        // window title
    QString m_strItemName;     // the library's item noun, for the editors' title and hint
    QString m_strAddText;      // caption of 1070
    QString m_strModifyText;   // caption of 1071
    QString m_strDeleteText;   // caption of 1072
    QString m_strTableName;    // item table worked on
    QString m_strLabelField;   // column shown in the tree; the editors' name
    QString m_strContentField; // column shown in the preview box
    qint32 m_nSelectedId = -1; // itemid of the selected entry; -1 when none

    // Enter outside the three buttons: the preview box's data exchange runs first and keeps
    // the dialog open when the box holds more than it may.
    void accept() override;

    static constexpr qsizetype kPreviewLimit = 5000;
    static const QString kTooLongMessage;

protected:
    // The dialog is set up from the members when it is first shown.
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnInitDialog();
    void OnSelChangedTree(QTreeWidgetItem* current);
    void OnAdd();
    void OnModify();
    void OnDelete();
    void RefreshTree();
    void SetPreviewText(const QString& text);

    CDbVisit& m_dbVisit;
    bool m_bInitialised = false;
    QTreeWidget* m_pTree = nullptr;
    QPlainTextEdit* m_pPreview = nullptr;
    TypedTextLimit* m_pPreviewLimit = nullptr;
    QPushButton* m_pAdd = nullptr;
    QPushButton* m_pModify = nullptr;
    QPushButton* m_pDelete = nullptr;
};
