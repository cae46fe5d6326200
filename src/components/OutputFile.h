#pragma once

#include <QString>
#include <cstdint>
#include <cstdio>

// A file being written by one of the encoders: buffered, every failure
// thrown as AudioError naming the file. An output that was not completed
// with close() is removed by the destructor, so that a failed write never
// leaves a file behind that looks finished.
class OutputFile {
public:
    // Creates (or truncates) the file. Refuses a folder or a missing folder
    // before touching anything.
    explicit OutputFile(QString path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const QString& path() const { return m_path; }

    void write(const void* data, size_t size);
    void seek(int64_t offset);
    int64_t position() const;
    // Flushes and closes; the file then stays.
    void close();

    // Throws AudioError "Cannot write <path>: <cause>".
    [[noreturn]] void fail(const QString& cause) const { failFor(m_path, cause); }
    [[noreturn]] static void failFor(const QString& path, const QString& cause);
    // The refusals that need no file to be created: a folder of that name, a
    // missing folder.
    static void checkTarget(const QString& path);

private:
    QString m_path;
    std::FILE* m_file = nullptr;
};
