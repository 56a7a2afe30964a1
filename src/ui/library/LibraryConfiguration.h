#pragma once

#include <QString>

class CBasicdatasetDlg;

// The texts that select and present one library in the browser. The main window opens the
// browser with one of the five below, one per library button.
struct LibraryConfiguration
{
    QString title;
    QString itemName;
    QString tableName;
    QString labelField;
    QString contentField;

    static LibraryConfiguration company();
    static LibraryConfiguration department();
    static LibraryConfiguration position();
    static LibraryConfiguration reason();
    static LibraryConfiguration certificateTemplate();

    // Sets the browser's eight configuration members, with the captions "添加", "修改", "删除".
    void applyTo(CBasicdatasetDlg& browser) const;
};
