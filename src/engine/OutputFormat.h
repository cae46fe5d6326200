// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

// The output formats, in the order of the format box `cb_format` and of the
// join's save dialog's file types, whose indexes the settings file and the
// encoder configuration use.
enum class OutputFormat { Mp3 = 0, Wav = 1, Wma = 2, Ogg = 3 };

// The format of a format box item; none for an index outside the four items.
inline std::optional<OutputFormat> outputFormatAt(int index)
{
    if (index < 0 || index > 3)
        return std::nullopt;
    return static_cast<OutputFormat>(index);
}

inline int formatIndex(OutputFormat format)
{
    return static_cast<int>(format);
}

// ".mp3", ".wav", ".wma" or ".ogg".
inline QString outputExtension(OutputFormat format)
{
    switch (format) {
    case OutputFormat::Mp3:
        return QStringLiteral(".mp3");
    case OutputFormat::Wav:
        return QStringLiteral(".wav");
    case OutputFormat::Wma:
        return QStringLiteral(".wma");
    case OutputFormat::Ogg:
        return QStringLiteral(".ogg");
    }
    return {};
}
