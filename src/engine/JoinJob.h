#pragma once

#include <QString>
#include <QVector>
#include <cstdint>

class JobRunner;
struct JobFile;

// The join job: the parts that the function choice selects, of every listed
// file in list order, written one after another into one output file at
// the first file's rate and channel count. The fade-in shapes the start of
// the output and the fade-out its end, never a joint.
class JoinJob {
public:
    // The save dialog's file types; filter index i (from 1) is the format
    // index i - 1 of `cb_format`.
    static const QString kFilter;

    explicit JoinJob(JobRunner& runner) : m_runner(runner) {}

    // Asks for the target through the save dialog, opened at the output
    // folder with the file type of `cb_format`; the chosen type becomes
    // `cb_format`'s item. False when the list is empty, the dialog was
    // cancelled or the name cannot be used (the user is told why).
    bool ChooseJoinTarget();
    // The target given directly (the command line). `format` as `cb_format`.
    void setTarget(const QString& path, int format);

    // Runs the variant of a function choice: 0 JoinCustomSegments, 1 and 2
    // JoinWholeFiles, 3 UnifiAudoJoiner; any other value runs nothing.
    void run(int choice);
    void JoinCustomSegments() { run(0); }
    void JoinWholeFiles() { run(1); }
    void UnifiAudoJoiner() { run(3); }

    const QString& target() const { return m_target; }
    int format() const { return m_format; }
    // What the finished (or stopped) output holds: its frames and the parts
    // that went into it.
    int64_t framesWritten() const { return m_framesWritten; }
    int partsWritten() const { return m_partsWritten; }
    bool completed() const { return m_completed; }

    // The target with the format's extension, unless it already ends in it
    // (in any case): "mix" becomes "mix.mp3", "mix.mp3" stays.
    static QString withFormatExtension(const QString& name, int format);

private:
    enum class Variant { Custom, Whole, Unified };
    struct Part {
        int row = 0;
        int64_t start = 0;        // source frame D
        int64_t sourceFrames = 0; // F - D
        int64_t outputFrames = 0; // what the part gives at the target rate
    };
    struct FilePlan {
        QVector<Part> parts;
        int rate = 0;
    };

    void join(Variant variant);
    QVector<Part> partsOf(Variant variant, const JobFile& file, const JobFile& first, int64_t N,
                          int64_t L, int rate, int targetRate) const;
    void checkTarget() const;

    JobRunner& m_runner;
    QString m_target;
    int m_format = 0;
    int64_t m_framesWritten = 0;
    int m_partsWritten = 0;
    bool m_completed = false;
};
