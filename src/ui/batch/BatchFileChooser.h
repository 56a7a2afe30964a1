#pragma once

#include <QString>

class QWidget;

// Asks for the folder to write into and shows it when the batch is done (the sheet to read is
// asked for through OpenFileDialog). Tests put a backend of their own in place to answer
// without a modal dialog.
class BatchFileChooser
{
public:
    class Backend
    {
    public:
        virtual ~Backend() = default;
        // The chosen folder, or an empty string when the user cancelled.
        virtual QString getExistingDirectory(QWidget* parent, const QString& caption,
                                             const QString& folder) = 0;
        // Shows a folder in the file manager.
        virtual void openFolder(const QString& folder) = 0;
    };

    static QString getExistingDirectory(QWidget* parent, const QString& caption,
                                        const QString& folder);
    static void openFolder(const QString& folder);

    // Replaces the backend; nullptr restores the one that shows QFileDialog.
    static void setBackend(Backend* backend);
};
