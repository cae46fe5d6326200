// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsDialogModel.h"

#include "audio/AudioFile.h"
#include "base/IniFile.h"
#include "base/Prompts.h"
#include "settings/Options.h"

#include <algorithm>

namespace settings {

namespace {

constexpr int kFadeTimes = 20;
constexpr int kDefaultFadeIndex = 4; // "5s"
constexpr int kDefaultPieceSeconds = 60;
constexpr int kDefaultPieceCount = 6;

QString formatMessage(const char* format)
{
    return QStringLiteral("This %1 format is not supported. \n"
                          "You have set too high frequency and too low bitrate or otherwise. \n"
                          "Please adjust the frequency or bitrate.")
        .arg(QLatin1String(format));
}

} // namespace

SettingsDialogModel::SettingsDialogModel(Options& options, IniFile& ini, const AudioFile& writer,
                                         Prompts& prompts)
    : m_options(options), m_ini(ini), m_writer(writer), m_prompts(prompts)
{
    // The controls as the form creates them: the values shown when a key is
    // missing, and the enabled state of the initial-state table.
    for (const SettingsControl& control : SettingsControls())
        m_values.insert(control.key, control.key->missing);
    m_enabled.fill(true);
    for (ControlId id : InitiallyDisabled())
        m_enabled[indexOf(id)] = false;
}

void SettingsDialogModel::setOutputDirBox(std::function<QString()> text,
                                          std::function<void(const QString&)> show)
{
    m_outputDirText = std::move(text);
    m_showOutputDir = std::move(show);
}

void SettingsDialogModel::setLvClick(std::function<void()> lvClick)
{
    m_lvClick = std::move(lvClick);
}

QString SettingsDialogModel::title() const
{
    return m_page < 0 ? QString() : QString::fromLatin1(SettingsPages()[m_page].title);
}

QString SettingsDialogModel::groupBox() const
{
    return m_page < 0 ? QString() : QString::fromLatin1(SettingsPages()[m_page].groupBox);
}

int SettingsDialogModel::shownChoice() const
{
    const int choice = m_options.functionChoice;
    return choice >= 0 && choice <= 3 ? choice : 0;
}

void SettingsDialogModel::TreeView1Click(int index)
{
    if (index >= 0 && index < static_cast<int>(SettingsPages().size()))
        m_page = index;
}

void SettingsDialogModel::FormShow()
{
    // The choice shown is only a proposal until Ok; a stored choice that
    // names no function shows as Custom.
    m_choice = shownChoice();
    if (m_showOutputDir)
        m_showOutputDir(m_options.outputDir);
    m_timeText = QString::number(m_options.pieceSeconds >= 1 ? m_options.pieceSeconds
                                                             : kDefaultPieceSeconds);
    m_countText =
        QString::number(m_options.pieceCount >= 1 ? m_options.pieceCount : kDefaultPieceCount);
    m_fadeIn = m_options.fadeIn;
    m_fadeOut = m_options.fadeOut;
    const auto fadeIndex = [](int seconds) {
        return seconds >= 1 && seconds <= kFadeTimes ? seconds - 1 : kDefaultFadeIndex;
    };
    m_fadeInIndex = fadeIndex(m_options.fadeInSeconds);
    m_fadeOutIndex = fadeIndex(m_options.fadeOutSeconds);
    m_losslessCopy = m_options.losslessCopy;

    const SettingsStore store(m_ini);
    for (const Key* k : WriteOrder()) {
        const Key& key = *k;
        const SettingsControl& control = *ControlFor(key);
        int v = key.type == KeyType::Boolean ? int(store.readBool(key, DefaultKind::Missing))
                                             : store.readInt(key, DefaultKind::Missing);
        // A number that its control cannot hold comes from a hand-edited
        // file; the control shows what it shows for a missing key.
        if (key.type == KeyType::Integer && (v < control.minimum || v > control.maximum))
            v = key.missing;
        change(key, v, Change::Program);
    }

    // The rules that follow a box's own change have run while loading; these
    // follow the loaded values whether they changed or not.
    for (const EnableRule& rule : EnableRules())
        if (rule.runs != RuleRuns::OnChange)
            apply(rule);

    m_commandLineText = m_confirmedCommandLine;
    if (m_page < 0)
        m_page = 0;
}

int SettingsDialogModel::value(const Key& key) const
{
    return m_values.value(&key, key.missing);
}

void SettingsDialogModel::setValue(const Key& key, int value)
{
    change(key, value, Change::User);
}

void SettingsDialogModel::change(const Key& key, int v, Change how)
{
    const SettingsControl* control = ControlFor(key);
    if (!control)
        return;
    switch (key.type) {
    case KeyType::Boolean:
        v = v != 0;
        break;
    case KeyType::Integer:
        // A typed value beyond the control's range is brought to its end.
        v = std::clamp(v, control->minimum, control->maximum);
        break;
    case KeyType::ListIndex:
        // The WMA box is editable; a text that names no profile stores -1.
        if (!key.list->contains(v) && !(&key == &keys::WmaProfile && v == -1))
            return;
        break;
    }
    if (m_values.value(&key) == v)
        return;
    m_values.insert(&key, v);
    runRules(key, how);
}

void SettingsDialogModel::runRules(const Key& key, Change how)
{
    for (const EnableRule& rule : EnableRules())
        if (rule.trigger == &key &&
            (how == Change::User || rule.runs != RuleRuns::OnUserChangeAndShow))
            apply(rule);
}

void SettingsDialogModel::apply(const EnableRule& rule)
{
    const bool on =
        std::all_of(rule.condition.begin(), rule.condition.end(),
                    [this](const KeyTest& t) { return (value(*t.key) == t.value) == t.equals; });
    for (ControlId id : rule.controls)
        m_enabled[indexOf(id)] = on;
}

QStringList SettingsDialogModel::FadeTimes()
{
    QStringList times;
    for (int s = 1; s <= kFadeTimes; ++s)
        times << QStringLiteral("%1s").arg(s);
    return times;
}

void SettingsDialogModel::setFadeInIndex(int index)
{
    if (index >= 0 && index < kFadeTimes)
        m_fadeInIndex = index;
}

void SettingsDialogModel::setFadeOutIndex(int index)
{
    if (index >= 0 && index < kFadeTimes)
        m_fadeOutIndex = index;
}

bool SettingsDialogModel::acceptsTypedCharacter(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

std::optional<int> SettingsDialogModel::parseInteger(const QString& text)
{
    const QString t = text.trimmed();
    int digitsFrom = t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+')) ? 1 : 0;
    if (t.size() == digitsFrom ||
        !std::all_of(t.begin() + digitsFrom, t.end(), [](QChar c) { return c.isDigit(); }))
        return std::nullopt;
    bool ok = false;
    const int v = t.toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

std::optional<QString> SettingsDialogModel::leftSplitText(const QString& text, int fallback)
{
    if (text.isEmpty())
        return QString::number(fallback);
    const std::optional<int> v = parseInteger(text);
    if (!v) {
        m_prompts.information(NotAnIntegerMessage(text));
        return std::nullopt;
    }
    return *v < 1 ? QString::number(fallback) : text;
}

void SettingsDialogModel::edt_timeExit()
{
    if (const auto text = leftSplitText(m_timeText, kDefaultPieceSeconds))
        m_timeText = *text;
}

void SettingsDialogModel::edt_countExit()
{
    if (const auto text = leftSplitText(m_countText, 1))
        m_countText = *text;
}

void SettingsDialogModel::Button2Click()
{
    // The General page and the command line keep what they hold; the MP3
    // copy box is on an encoder page and goes back to off with the others.
    for (const Key* key : WriteOrder())
        change(*key, key->defaultButton, Change::Program);
    m_losslessCopy = false;
}

bool SettingsDialogModel::checksPass()
{
    using namespace keys;
    const auto hz = [this](const Key& k) { return FrequencyList().values[value(k)]; };
    const auto kbps = [this](const Key& k) { return BitrateList().values[value(k)]; };
    // The OGG check runs whatever the output format, as the stored OGG
    // settings must be usable whenever OGG is chosen later.
    if (!value(OggQualityMode) &&
        !m_writer.CheckOggFormat(hz(OggFrequency), value(OggChannels) + 1, kbps(OggBitrate),
                                 kbps(OggMinBitrate), kbps(OggMaxBitrate))) {
        m_prompts.information(OggMessage());
        return false;
    }
    if (!m_writer.CheckMp3Format(hz(Mp3Frequency), kbps(Mp3Bitrate), value(Mp3Channel) + 1)) {
        m_prompts.information(Mp3Message());
        return false;
    }
    return true;
}

bool SettingsDialogModel::OkClick()
{
    if (!checksPass())
        return false;
    const QString dir = m_outputDirText ? m_outputDirText() : m_options.outputDir;
    if (dir.trimmed().isEmpty()) {
        m_prompts.information(EmptyFolderMessage());
        return false;
    }
    // Leaving an edit for the Ok button gives the same rule as leaving it for
    // anything else; with Enter the edit is never left, so it runs here too.
    // Nothing is stored while a split value is not a number.
    const auto time = leftSplitText(m_timeText, kDefaultPieceSeconds);
    if (!time)
        return false;
    const auto count = leftSplitText(m_countText, 1);
    if (!count)
        return false;
    m_timeText = *time;
    m_countText = *count;

    m_options.outputDir = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
    m_options.pieceSeconds = parseInteger(m_timeText).value_or(kDefaultPieceSeconds);
    m_options.pieceCount = parseInteger(m_countText).value_or(1);
    m_options.functionChoice = m_choice;
    m_options.fadeIn = m_fadeIn;
    m_options.fadeOut = m_fadeOut;
    m_options.fadeInSeconds = m_fadeInIndex + 1;
    m_options.fadeOutSeconds = m_fadeOutIndex + 1;
    m_options.losslessCopy = m_losslessCopy;
    m_confirmedCommandLine = m_commandLineText;

    SettingsStore store(m_ini);
    store.writeMainPath(dir);
    for (const Key* key : WriteOrder()) {
        if (key->type == KeyType::Boolean)
            store.writeBool(*key, value(*key) != 0);
        else
            store.writeInt(*key, value(*key));
    }
    if (m_lvClick)
        m_lvClick();
    return true;
}

void SettingsDialogModel::CancelClick()
{
    // The choice and the other general values are proposals until Ok; the
    // next showing reloads them. The command line goes back to the text of
    // the last Ok at once, since the MP3 configuration reads it as it stands.
    m_choice = shownChoice();
    m_commandLineText = m_confirmedCommandLine;
}

QString SettingsDialogModel::Mp3Message()
{
    return formatMessage("MP3");
}

QString SettingsDialogModel::OggMessage()
{
    return formatMessage("OGG");
}

QString SettingsDialogModel::NotAnIntegerMessage(const QString& text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

QString SettingsDialogModel::EmptyFolderMessage()
{
    return QStringLiteral(
        "Please enter an output folder: the output folder box is empty, so the converted "
        "files would have nowhere to go.");
}

} // namespace settings
