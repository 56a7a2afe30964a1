#include "ui/controls/LineWidth.h"

#include "compose/CertificateComposer.h"

#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

int MeasureLineWidth(QPlainTextEdit* box)
{
    box->setPlainText(Compose::widthProbe());
    const QTextBlock block = box->document()->firstBlock();
    // The box lays its text out lazily (at the next paint); ask for the first block now, at
    // the width the box gives its text.
    if (auto* layout = qobject_cast<QPlainTextDocumentLayout*>(box->document()->documentLayout())) {
        layout->ensureBlockLayout(block);
    }
    const QTextLayout* textLayout = block.layout();
    if (!textLayout || textLayout->lineCount() == 0) {
        return 0;
    }
    return qMin(textLayout->lineAt(0).textLength(), Compose::kMaxLineWidth);
}
