#include "issue/StagedFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

StagedFile::StagedFile(QString target) : m_target(std::move(target)) {}

StagedFile::~StagedFile()
{
    if (!m_placed) {
        discard();
    }
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : m_target(std::move(other.m_target)), m_staged(std::move(other.m_staged)),
      m_written(other.m_written), m_placed(other.m_placed)
{
    other.m_staged.clear();
    other.m_written = false;
    other.m_placed = false;
}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept
{
    if (this != &other) {
        if (!m_placed) {
            discard();
        }
        m_target = std::move(other.m_target);
        m_staged = std::move(other.m_staged);
        m_written = other.m_written;
        m_placed = other.m_placed;
        other.m_staged.clear();
        other.m_written = false;
        other.m_placed = false;
    }
    return *this;
}

std::unique_ptr<QFile> StagedFile::create(QString* error)
{
    discard();
    // Beside the target, so that putting it in place is a rename within one file system; the
    // name starts as the target's does, so that a file left by a crash is recognised.
    QTemporaryFile probe(m_target + QStringLiteral(".XXXXXX.part"));
    probe.setAutoRemove(false);
    if (!probe.open()) {
        *error = probe.errorString();
        return nullptr;
    }
    m_staged = probe.fileName();
    probe.close();
    auto file = std::make_unique<QFile>(m_staged);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = file->errorString();
        discard();
        return nullptr;
    }
    return file;
}

bool StagedFile::finish(std::unique_ptr<QFile> file, QString* error)
{
    if (!file || !file->isOpen()) {
        *error = QStringLiteral("文件没有打开");
        discard();
        return false;
    }
    bool ok = file->flush() && file->error() == QFileDevice::NoError;
    if (!ok) {
        *error = file->errorString();
    } else if (::fsync(file->handle()) != 0) {
        *error = systemError();
        ok = false;
    } else {
        // Once whole, the file takes the mode any file the user writes gets (the user's umask
        // decides), as it would have had if written under its name.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(file->handle(), 0666 & ~mask);
    }
    file->close();
    file.reset();
    if (!ok) {
        discard();
        return false;
    }
    m_written = true;
    return true;
}

bool StagedFile::place(QString* error)
{
    if (!m_written || m_placed) {
        *error = QStringLiteral("文件没有写好");
        return false;
    }
    if (std::rename(QFile::encodeName(m_staged).constData(),
                    QFile::encodeName(m_target).constData()) != 0) {
        *error = systemError();
        discard();
        return false;
    }
    m_placed = true;
    return true;
}

void StagedFile::discard()
{
    if (m_placed) {
        QFile::remove(m_target);
        m_placed = false;
    } else if (!m_staged.isEmpty()) {
        QFile::remove(m_staged);
    }
    m_staged.clear();
    m_written = false;
}
