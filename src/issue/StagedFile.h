#pragma once

#include <QString>
#include <memory>

class QFile;

// A file on its way out of kavri: written whole under a temporary name beside its target, then
// put in place by one rename once the register has taken note of it. Until place() succeeds the
// target is untouched (whatever stood there before stays); a staged file that is never placed
// is removed when the object goes.
//
// Writing may happen on another thread than placing, one after the other: the device that
// create() returns belongs to the writing thread and is given back through finish().
class StagedFile
{
public:
    explicit StagedFile(QString target);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;

    const QString& target() const { return m_target; }
    // The temporary file's name; empty before create().
    const QString& stagedPath() const { return m_staged; }

    // Makes the temporary file (readable by the user only while it is being written) and opens
    // it for writing; null with `error` set when the folder does not take it.
    std::unique_ptr<QFile> create(QString* error);
    // Flushes, syncs to disk and closes what was written through `file`; false with `error` set
    // when the bytes did not all reach the disk (the staged file is then removed).
    bool finish(std::unique_ptr<QFile> file, QString* error);
    // create(), `write`, finish() in one.
    template <typename Write> bool write(Write&& write, QString* error)
    {
        std::unique_ptr<QFile> file = create(error);
        if (!file) {
            return false;
        }
        if (!write(*file, error)) {
            file.reset();
            discard();
            return false;
        }
        return finish(std::move(file), error);
    }

    // For writers that take a file name: `write` writes the whole file under the temporary name
    // it is given (it may replace the empty file there); false with `error` set when it could
    // not (the staged file is then removed).
    template <typename Write> bool writeAt(Write&& write, QString* error)
    {
        std::unique_ptr<QFile> file = create(error);
        if (!file) {
            return false;
        }
        file.reset();
        if (!write(m_staged, error)) {
            discard();
            return false;
        }
        m_written = true;
        return true;
    }

    bool isStaged() const { return m_written && !m_placed; }
    bool isPlaced() const { return m_placed; }

    // Renames the finished file onto its target (replacing a file that stands there). False with
    // `error` set when it cannot; the staged file is then removed.
    bool place(QString* error);
    // Removes the staged file; after place(), the placed file (its target) instead.
    void discard();

private:
    QString m_target;
    QString m_staged;
    bool m_written = false;
    bool m_placed = false;
};
