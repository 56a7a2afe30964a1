#pragma once

#include <QDialog>

// The about box (dialog template 100): icon, "kavri 1.0 版", a line about the program, "确定".
class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
