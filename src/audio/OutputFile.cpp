// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/OutputFile.h"

#include "audio/AudioError.h"

namespace {

// The safe file's failures, as the audio component reports them.
template <typename Step> auto translated(Step step)
{
    try {
        return step();
    } catch (const SafeFileError& e) {
        throw OutputWriteError(e.message());
    }
}

} // namespace

OutputFile::OutputFile(QString path) : m_path(std::move(path))
{
    m_file =
        translated([this] { return std::make_unique<SafeFile>(m_path, SafeFile::Target::New); });
}

OutputFile::~OutputFile() = default;

void OutputFile::failFor(const QString& path, const QString& cause)
{
    throw OutputWriteError(SafeFileError(path, cause).message());
}

void OutputFile::checkTarget(const QString& path)
{
    translated([&path] { SafeFile::checkNewTarget(path); });
}

void OutputFile::write(const void* data, size_t size)
{
    translated([&] { m_file->write(data, size); });
}

void OutputFile::seek(int64_t offset)
{
    translated([&] { m_file->seek(offset); });
}

void OutputFile::seekToEnd()
{
    translated([&] { m_file->seekToEnd(); });
}

int64_t OutputFile::position() const
{
    return m_file->position();
}

void OutputFile::close()
{
    translated([&] { m_file->commit(); });
}
