#pragma once

#include "ui/common/SaveFileDialog.h"

#include <QStringList>

// Installs itself for its lifetime; answers with `answer` (empty = cancelled) and keeps what
// the dialog was asked to suggest.
class FakeSaveFileDialog : public SaveFileDialog::Backend
{
public:
    FakeSaveFileDialog() { SaveFileDialog::setBackend(this); }
    ~FakeSaveFileDialog() override { SaveFileDialog::setBackend(nullptr); }

    QString getSaveFileName(QWidget*, const QString& caption, const QString& suggestedPath,
                            const QString& filter) override
    {
        captions.append(caption);
        suggested.append(suggestedPath);
        filters.append(filter);
        return answer;
    }

    QString answer;
    QStringList captions;
    QStringList suggested;
    QStringList filters;
};
