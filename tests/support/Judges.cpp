// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/Judges.h"

#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstring>
#include <optional>

namespace testsupport {

namespace {

ProcessResult decodeTo(const QString& format, const QString& path, const QStringList& options)
{
    return run("ffmpeg", QStringList{"-hide_banner", "-loglevel", "error", "-nostdin", "-i", path} +
                             options + QStringList{"-f", format, "-"});
}

} // namespace

StreamInfo probe(const QString& path)
{
    const ProcessResult r = run("ffprobe", {"-v", "error", "-select_streams", "a:0",
                                            "-show_streams", "-show_format", "-of", "json", path});
    StreamInfo info;
    const QJsonObject root = QJsonDocument::fromJson(r.out).object();
    const QJsonObject s = root["streams"].toArray().first().toObject();
    info.codec = s["codec_name"].toString();
    info.rate = s["sample_rate"].toString().toInt();
    info.channels = s["channels"].toInt();
    info.bitRate = s["bit_rate"].toString().toLongLong();
    info.sampleFormat = s["sample_fmt"].toString();
    info.bitsPerSample = s["bits_per_sample"].toInt();
    info.channelLayout = s["channel_layout"].toString();
    if (s.contains("duration_ts"))
        info.durationTs = s["duration_ts"].toInteger();
    info.duration = root["format"].toObject()["duration"].toString().toDouble();
    return info;
}

QString probeTag(const QString& path, const QString& key)
{
    const ProcessResult r = run("ffprobe", {"-v", "error", "-show_entries",
                                            "format_tags:stream_tags", "-of", "json", path});
    const QJsonObject root = QJsonDocument::fromJson(r.out).object();
    const auto find = [&key](const QJsonObject& tags) -> std::optional<QString> {
        for (auto it = tags.begin(); it != tags.end(); ++it) {
            if (it.key().compare(key, Qt::CaseInsensitive) == 0)
                return it.value().toString();
        }
        return std::nullopt;
    };
    if (auto v = find(root["format"].toObject()["tags"].toObject()))
        return *v;
    for (const auto stream : root["streams"].toArray()) {
        if (auto v = find(stream.toObject()["tags"].toObject()))
            return *v;
    }
    return QStringLiteral("<absent>");
}

QByteArray decodeFloatBytes(const QString& path, const QStringList& options)
{
    const ProcessResult r = decodeTo("f32le", path, options);
    return r.exitCode == 0 ? r.out : QByteArray();
}

std::vector<float> decode(const QString& path, const QStringList& options)
{
    const QByteArray bytes = decodeFloatBytes(path, options);
    std::vector<float> out(static_cast<size_t>(bytes.size()) / sizeof(float));
    std::memcpy(out.data(), bytes.constData(), out.size() * sizeof(float));
    return out;
}

std::vector<std::vector<float>> decodeEach(const QStringList& paths, const QStringList& options)
{
    // Starting ffmpeg costs more than decoding a short piece: one process
    // decodes every file into a file of its own.
    const QTemporaryDir folder;
    QStringList args{"-hide_banner", "-loglevel", "error", "-nostdin"};
    for (const QString& path : paths)
        args += {"-i", path};
    for (qsizetype i = 0; i < paths.size(); ++i)
        args += QStringList{"-map", QStringLiteral("%1:a:0").arg(i)} + options +
                QStringList{"-f", "f32le", folder.filePath(QString::number(i))};
    const ProcessResult r = run("ffmpeg", args);
    std::vector<std::vector<float>> out(static_cast<size_t>(paths.size()));
    if (r.exitCode != 0 || !folder.isValid())
        return out;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        QFile f(folder.filePath(QString::number(i)));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = f.readAll();
        std::vector<float>& samples = out[static_cast<size_t>(i)];
        samples.resize(static_cast<size_t>(bytes.size()) / sizeof(float));
        std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(float));
    }
    return out;
}

std::vector<float> frameRange(const std::vector<float>& samples, int channels, int64_t from,
                              int64_t to)
{
    const auto at = [&](int64_t frame) {
        return samples.begin() + static_cast<std::ptrdiff_t>(frame * channels);
    };
    return std::vector<float>(at(from), at(to));
}

std::string firstDifference(const std::vector<float>& got, const std::vector<float>& want,
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

QByteArray decodePcm16(const QString& path, const QStringList& options)
{
    const ProcessResult r = decodeTo("s16le", path, options + QStringList{"-acodec", "pcm_s16le"});
    return r.exitCode == 0 ? r.out : QByteArray();
}

std::vector<int16_t> samples(const QByteArray& pcm16)
{
    std::vector<int16_t> out(static_cast<size_t>(pcm16.size()) / 2);
    std::memcpy(out.data(), pcm16.constData(), out.size() * 2);
    return out;
}

int peak(const std::vector<int16_t>& s, int channels, int64_t from, int64_t to)
{
    int p = 0;
    for (int64_t i = from * channels; i < to * channels && i < int64_t(s.size()); ++i)
        p = std::max(p, std::abs(int(s[size_t(i)])));
    return p;
}

int64_t decodedFrames(const QString& path)
{
    // One channel is enough to count frames, and a quarter of the bytes.
    const ProcessResult r = decodeTo("s16le", path, {"-ac", "1", "-acodec", "pcm_s16le"});
    return r.exitCode == 0 ? r.out.size() / 2 : -1;
}

int64_t oggFrames(const QString& path)
{
    return probe(path).durationTs;
}

QByteArray md5(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash h(QCryptographicHash::Md5);
    h.addData(&f);
    return h.result();
}

long long fileSize(const QString& path)
{
    return QFileInfo(path).size();
}

} // namespace testsupport
