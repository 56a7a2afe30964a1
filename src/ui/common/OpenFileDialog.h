#pragma once

#include <QString>

class QWidget;

// Asks for an existing file to read. Tests put a backend of their own in place to answer
// without a modal dialog.
class OpenFileDialog
{
public:
    class Backend
    {
    public:
        virtual ~Backend() = default;
        // The chosen path, or an empty string when the user cancelled.
        virtual QString getOpenFileName(QWidget* parent, const QString& caption,
                                        const QString& folder, const QString& filter) = 0;
    };

    static QString getOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                   const QString& filter);

    // Replaces the backend; nullptr restores the one that shows QFileDialog.
    static void setBackend(Backend* backend);
};
