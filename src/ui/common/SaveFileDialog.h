#pragma once

#include <QString>

class QWidget;

// Asks for the name of a file to write. Tests put a backend of their own in place to answer
// without a modal dialog, and to see what was suggested.
class SaveFileDialog
{
public:
    class Backend
    {
    public:
        virtual ~Backend() = default;
        // The chosen path, or an empty string when the user cancelled.
        virtual QString getSaveFileName(QWidget* parent, const QString& caption,
                                        const QString& suggestedPath, const QString& filter) = 0;
    };

    static QString getSaveFileName(QWidget* parent, const QString& caption,
                                   const QString& suggestedPath, const QString& filter);

    // Replaces the backend; nullptr restores the one that shows QFileDialog.
    static void setBackend(Backend* backend);
};
