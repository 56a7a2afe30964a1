#pragma once

#include <QString>

// How the data-access object reaches the user without knowing about windows: a failed connect
// and a failed statement become notices, a long read shows the busy state. The program puts a
// backend in place that shows message boxes and the wait cursor; without one, the texts go to
// the warning log so that nothing fails silently.
class StoreFeedback
{
public:
    class Backend
    {
    public:
        virtual ~Backend() = default;
        // The library file could not be opened (a notice with the caption "提示").
        virtual void connectFailed(const QString& text) = 0;
        // A statement failed: the error description followed by the statement.
        virtual void statementFailed(const QString& text) = 0;
        // A read starts (true) or ends (false); calls nest.
        virtual void busy(bool on) = 0;
    };

    static void connectFailed(const QString& text);
    static void statementFailed(const QString& text);

    // Replaces the backend; nullptr restores the one that writes to the warning log.
    static void setBackend(Backend* backend);
    static Backend* backend();

    // The busy state for as long as the guard lives.
    class Busy
    {
    public:
        Busy();
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        Backend* m_backend;
    };
};
