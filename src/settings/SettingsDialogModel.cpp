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

const char* const kVbrControls[] = {"cb_mp3_vbr", "edt_mp3_vbr", "ud_mp3_vbr", "ck_mp3_VBR",
                                    "ck_mp3_semb"};

QString formatMessage(const char* format)
{
    return QStringLiteral("This %1 format is not supported. \n"
                          "You have set too high frequency and too low bitrate or otherwise. \n"
                          "Please adjust the frequency or bitrate.")
        .arg(QLatin1String(format));
}

} // namespace

std::span<const SettingsPage> SettingsPages()
{
    static const SettingsPage pages[] = {
        {-1, "General", "Set General", "gb_cdgeneral"},
        {-1, "MP3", "Set MP3 General", "gb_mp3general"},
        {1, "General", "Set MP3 General", "gb_mp3general"},
        {1, "VBR", "Set MP3 VBR", "gb_mp3vbr"},
        {1, "Filtering", "Set MP3 Filter", "gb_filter"},
        {1, "Expert", "Set MP3 Expert", "gb_expert"},
        {1, "Presets", "Set MP3 Presets", "gb_presets"},
        {1, "Command Line", "Set MP3 Command Line", "gb_command"},
        {-1, "WAV", "Set WAV Format", "gb_wav"},
        {-1, "WMA", "Set WMA Format", "gb_wma"},
        {-1, "OGG", "Set OGG Format", "gb_ogg"},
    };
    return pages;
}

std::span<const SettingsControl> SettingsControls()
{
    using namespace keys;
    static const SettingsControl controls[] = {
        {"cb_mp3_bitrate", &Mp3Bitrate},
        {"cb_mp3_channel", &Mp3Channel},
        {"cb_mp3_frequency", &Mp3Frequency},
        {"ud_mp3_quality", &Mp3Quality, 0, 9},
        {"cb_mp3vbrcm", &VbrCodingMethod},
        {"cb_mp3_vbr", &VbrBitrate},
        {"ud_mp3_vbr", &VbrQuality, 0, 9},
        {"ck_mp3_VBR", &VbrWriteHeader},
        {"ck_mp3_semb", &VbrStrictMinimum},
        {"chHFilt", &HighPassOn},
        {"chLFilt", &LowPassOn},
        {"udHFiltF", &HighPassFrequency, 0, 48000},
        {"udHFiltW", &HighPassWidth, 0, 48000},
        {"udLFiltF", &LowPassFrequency, 0, 48000},
        {"udLFiltW", &LowPassWidth, 0, 48000},
        {"ck_bit", &BitReservoir},
        {"ck_short", &ShortBlocks},
        {"ck_allow", &AllowDiffBlocks},
        {"ck_comply", &StrictIso},
        {"ck_crc", &Crc},
        {"cb_ath", &Ath},
        {"cb_de", &DeEmphasis},
        {"ck_preset", &PresetOn},
        {"ck_alt", &AltPresetOn},
        {"rg_prest", &Preset},
        {"rg_alt", &AltPreset},
        {"rb_cdmode", &WavMode},
        {"cb_wav_bit", &WavBits},
        {"cb_wav_channel", &WavChannels},
        {"cb_wav_frequency", &WavFrequency},
        {"cb_wma", &WmaProfile},
        {"cb_ogg_channel", &OggChannels},
        {"cb_ogg_fre", &OggFrequency},
        {"cb_ogg_bitrate", &OggBitrate},
        {"cb_ogg_maxbit", &OggMaxBitrate},
        {"cb_ogg_minbit", &OggMinBitrate},
        {"ud_ogg_quality", &OggQuality, 0, 1000},
        {"ck_oggvbr", &OggVariableBitrate},
        {"ck_oggquality", &OggQualityMode},
    };
    return controls;
}

const SettingsControl* ControlFor(const Key& key)
{
    for (const SettingsControl& control : SettingsControls())
        if (control.key == &key)
            return &control;
    return nullptr;
}

SettingsDialogModel::SettingsDialogModel(Options& options, IniFile& ini, const AudioFile& writer,
                                         Prompts& prompts)
    : m_options(options), m_ini(ini), m_writer(writer), m_prompts(prompts)
{
    // The controls as the form creates them: the values shown when a key is
    // missing, the filter values and the preset groups disabled.
    for (const SettingsControl& control : SettingsControls())
        m_values.insert(control.key, control.key->missing);
    enable({"udHFiltF", "udHFiltW", "lab_HFiltW", "udLFiltF", "udLFiltW", "lab_LFiltW", "rg_prest",
            "rg_alt"},
           false);
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

    using namespace keys;
    runRule(VbrCodingMethod);
    runRule(WavMode);
    enable({"cb_ogg_minbit", "cb_ogg_maxbit"}, value(OggVariableBitrate) != 0);
    enable({"edt_ogg_quality", "ud_ogg_quality"}, value(OggQualityMode) != 0);

    m_commandLineText = m_commandLine;
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
    // The method list raises no change event when the program sets it, so
    // its rule follows the user's changes only.
    if (how == Change::User || &key != &keys::VbrCodingMethod)
        runRule(key);
}

void SettingsDialogModel::enable(std::initializer_list<const char*> controls, bool on)
{
    for (const char* control : controls)
        m_enabled.insert(QString::fromLatin1(control), on);
}

void SettingsDialogModel::runRule(const Key& key)
{
    using namespace keys;
    const auto on = [this](const Key& k) { return value(k) != 0; };
    if (&key == &VbrCodingMethod) {
        for (const char* control : kVbrControls)
            enable({control}, value(VbrCodingMethod) != 0);
    } else if (&key == &WavMode) {
        enable({"cb_wav_frequency", "cb_wav_bit", "cb_wav_channel"}, value(WavMode) == 2);
    } else if (&key == &HighPassOn) {
        enable({"udHFiltF", "udHFiltW", "lab_HFiltW"}, on(HighPassOn));
    } else if (&key == &LowPassOn) {
        enable({"udLFiltF", "udLFiltW", "lab_LFiltW"}, on(LowPassOn));
    } else if (&key == &PresetOn) {
        enable({"rg_prest"}, on(PresetOn));
        enable({"rg_alt"}, on(AltPresetOn) && !on(PresetOn));
        enable({"ck_alt"}, !on(PresetOn));
    } else if (&key == &AltPresetOn) {
        enable({"rg_alt"}, on(AltPresetOn));
        enable({"rg_prest"}, on(AltPresetOn) && on(PresetOn));
        enable({"ck_preset"}, !on(AltPresetOn));
    } else if (&key == &OggVariableBitrate) {
        enable({"ck_oggquality"}, !on(OggVariableBitrate));
        enable({"cb_ogg_minbit", "cb_ogg_maxbit"}, on(OggVariableBitrate));
    } else if (&key == &OggQualityMode) {
        enable({"ck_oggvbr"}, !on(OggQualityMode));
        enable({"edt_ogg_quality", "ud_ogg_quality"}, on(OggQualityMode));
    }
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
    // The General page and the command line keep what they hold.
    for (const Key* key : WriteOrder())
        change(*key, key->defaultButton, Change::Program);
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
    m_commandLine = m_commandLineText;

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
    // next showing reloads them. The command line goes back to what the MP3
    // configuration uses.
    m_choice = shownChoice();
    m_commandLineText = m_commandLine;
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
