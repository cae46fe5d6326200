#pragma once

// ffmpeg as the judge of what a file decodes to, sample for sample: the check
// that a lossless piece holds exactly the samples it was cut from.

#include "support/TestSupport.h"

#include <QString>
#include <QStringList>
#include <cstring>
#include <string>
#include <vector>

namespace testsupport {

// What ffmpeg decodes of a file, as interleaved 32-bit float at the file's
// own rate and channel count (`extra` goes after the input).
inline std::vector<float> decodeFloat(const QString& path, const QStringList& extra = {})
{
    QStringList args{"-v", "error", "-nostdin", "-i", path};
    args += extra;
    args += QStringList{"-f", "f32le", "-"};
    const ProcessResult r = run("ffmpeg", args);
    std::vector<float> samples(static_cast<size_t>(r.out.size()) / sizeof(float));
    std::memcpy(samples.data(), r.out.constData(), samples.size() * sizeof(float));
    return samples;
}

// Frames [from, to) of interleaved samples with `channels`.
inline std::vector<float> frameRange(const std::vector<float>& samples, int channels, int64_t from,
                                     int64_t to)
{
    const auto at = [&](int64_t frame) {
        return samples.begin() + static_cast<std::ptrdiff_t>(frame * channels);
    };
    return std::vector<float>(at(from), at(to));
}

// Where two decodings first differ, for a failure message: "equal", their
// lengths, or the first frame that differs.
inline std::string firstDifference(const std::vector<float>& got, const std::vector<float>& want,
                                   int channels)
{
    if (got.size() != want.size())
        return "length " + std::to_string(got.size() / size_t(channels)) + " instead of " +
               std::to_string(want.size() / size_t(channels));
    for (size_t i = 0; i < got.size(); ++i)
        if (got[i] != want[i])
            return "sample " + std::to_string(i / size_t(channels)) + " differs";
    return "equal";
}

} // namespace testsupport
