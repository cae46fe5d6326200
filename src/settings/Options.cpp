// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/Options.h"

#include "base/IniFile.h"

#include <QStandardPaths>

namespace {

constexpr QLatin1String kCopySection("mp3");
constexpr QLatin1String kCopyKey("lossless copy");

} // namespace

Options::Options() : outputDir(defaultOutputDir()) {}

QString Options::defaultOutputDir()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

Options LoadOptions(const IniFile& ini, const std::function<void(const QString&)>& onOutputDir)
{
    const Options defaults;
    Options o;
    o.functionChoice = ini.readInteger(QStringLiteral("Function"), QStringLiteral("Choice"),
                                       defaults.functionChoice);
    o.outputDir =
        ini.readString(QStringLiteral("Output"), QStringLiteral("Dir"), defaults.outputDir);
    if (onOutputDir)
        onOutputDir(o.outputDir);
    o.pieceSeconds =
        ini.readInteger(QStringLiteral("Choice"), QStringLiteral("time"), defaults.pieceSeconds);
    o.pieceCount =
        ini.readInteger(QStringLiteral("Choice"), QStringLiteral("Count"), defaults.pieceCount);
    o.fadeIn = ini.readBool(QStringLiteral("Fade"), QStringLiteral("In"), defaults.fadeIn);
    o.fadeOut = ini.readBool(QStringLiteral("Fade"), QStringLiteral("Out"), defaults.fadeOut);
    o.fadeInSeconds =
        ini.readInteger(QStringLiteral("Fade"), QStringLiteral("Intime"), defaults.fadeInSeconds);
    o.fadeOutSeconds =
        ini.readInteger(QStringLiteral("Fade"), QStringLiteral("Outtime"), defaults.fadeOutSeconds);
    o.wideConversionBar =
        ini.readBool(QStringLiteral("VSM"), QStringLiteral("Skin"), defaults.wideConversionBar);
    o.losslessCopy = ini.readBool(kCopySection, kCopyKey, defaults.losslessCopy);
    return o;
}

void SaveOptions(IniFile& ini, const Options& o)
{
    ini.writeInteger(QStringLiteral("Function"), QStringLiteral("Choice"), o.functionChoice);
    ini.writeString(QStringLiteral("Output"), QStringLiteral("Dir"), o.outputDir);
    ini.writeInteger(QStringLiteral("Choice"), QStringLiteral("time"), o.pieceSeconds);
    ini.writeInteger(QStringLiteral("Choice"), QStringLiteral("Count"), o.pieceCount);
    ini.writeBool(QStringLiteral("Fade"), QStringLiteral("In"), o.fadeIn);
    ini.writeBool(QStringLiteral("Fade"), QStringLiteral("Out"), o.fadeOut);
    ini.writeInteger(QStringLiteral("Fade"), QStringLiteral("Intime"), o.fadeInSeconds);
    ini.writeInteger(QStringLiteral("Fade"), QStringLiteral("Outtime"), o.fadeOutSeconds);
    ini.writeBool(QStringLiteral("VSM"), QStringLiteral("Skin"), o.wideConversionBar);
    // Absent reads as off, so the file of someone who never switched it on
    // keeps the nine options alone; once on, it is written either way.
    if (o.losslessCopy || ini.readBool(kCopySection, kCopyKey, false))
        ini.writeBool(kCopySection, kCopyKey, o.losslessCopy);
}
