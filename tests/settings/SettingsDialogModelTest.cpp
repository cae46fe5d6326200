// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsDialogModel.h"

#include "audio/AudioFile.h"
#include "base/IniFile.h"
#include "settings/Options.h"
#include "support/FakeSeams.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <set>

using namespace settings;
using enum ControlId;
using testsupport::readAll;
using testsupport::writeAll;

namespace {

class SettingsDialog : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString iniPath = dir.filePath("Vessimo.ini");
    IniFile ini{iniPath};
    Options options;
    AudioFile writer;
    RecordingPrompts prompts;
    SettingsDialogModel model{options, ini, writer, prompts};
    QString dirBox = "/music/out";
    QStringList shownDirs;
    int lvClicks = 0;

    void SetUp() override
    {
        model.setOutputDirBox([this] { return dirBox; },
                              [this](const QString& d) { shownDirs << d; });
        model.setLvClick([this] { ++lvClicks; });
    }

    QString stored(const char* section, const char* key)
    {
        return ini.readString(section, key, "<none>");
    }
    bool on(ControlId control) { return model.isEnabled(control); }
};

// The keys of the file in the order they appear, as "section/key".
QStringList keysInFile(const QString& path)
{
    QStringList keys;
    QString section;
    for (const QString& line : QString::fromUtf8(readAll(path)).split('\n')) {
        if (line.startsWith('['))
            section = line.mid(1, line.indexOf(']') - 1);
        else if (line.contains('='))
            keys << section + "/" + line.left(line.indexOf('='));
    }
    return keys;
}

} // namespace

TEST_F(SettingsDialog, FreshRunShowsTheGeneralPageAndTheMissingDefaults)
{
    model.FormShow();
    EXPECT_EQ(model.page(), 0);
    EXPECT_EQ(model.title(), "Set General");
    EXPECT_EQ(model.groupBox(), "gb_cdgeneral");
    EXPECT_EQ(model.functionChoice(), 0);
    EXPECT_EQ(model.timeText(), "60");
    EXPECT_EQ(model.countText(), "6");
    EXPECT_FALSE(model.fadeIn());
    EXPECT_FALSE(model.fadeOut());
    EXPECT_EQ(SettingsDialogModel::FadeTimes().at(model.fadeInIndex()), "5s");
    EXPECT_EQ(SettingsDialogModel::FadeTimes().at(model.fadeOutIndex()), "5s");
    EXPECT_EQ(shownDirs, QStringList{options.outputDir});

    using namespace keys;
    EXPECT_EQ(model.value(Mp3Quality), 4);
    EXPECT_EQ(model.value(VbrQuality), 4);
    EXPECT_EQ(FrequencyList().items.at(model.value(Mp3Frequency)), "44100 Hz");
    EXPECT_EQ(BitrateList().items.at(model.value(Mp3Bitrate)), "128 Kbps");
    EXPECT_EQ(Mp3ChannelList().items.at(model.value(Mp3Channel)), "Stereo");
    EXPECT_EQ(WmaProfileList().items.at(model.value(WmaProfile)),
              "WMA9 44KHz, 128Kbps, Stereo, CBR");
    EXPECT_EQ(model.value(OggQuality), 300);
    EXPECT_EQ(model.value(VbrWriteHeader), 1);
    EXPECT_EQ(model.value(BitReservoir), 1);
    EXPECT_EQ(model.value(WavFrequency), 7);

    // Enabled as the loaded values say: no VBR method, CD quality WAV, no
    // filter, no preset, neither OGG mode.
    for (const ControlId c :
         {cb_mp3_vbr,       edt_mp3_vbr,   ud_mp3_vbr,     ck_mp3_VBR,      ck_mp3_semb,
          cb_wav_frequency, cb_wav_bit,    cb_wav_channel, udHFiltF,        udHFiltW,
          lab_HFiltW,       udLFiltF,      udLFiltW,       lab_LFiltW,      rg_prest,
          rg_alt,           cb_ogg_minbit, cb_ogg_maxbit,  edt_ogg_quality, ud_ogg_quality})
        EXPECT_FALSE(on(c)) << indexOf(c);
    for (const ControlId c :
         {ck_preset, ck_alt, ck_oggvbr, ck_oggquality, cb_mp3_bitrate, cb_wma, chHFilt})
        EXPECT_TRUE(on(c)) << indexOf(c);
    EXPECT_FALSE(QFile::exists(iniPath)) << "showing writes nothing";
}

TEST_F(SettingsDialog, EveryEncoderKeyHasOneControl)
{
    std::set<int> ids;
    for (const Key* key : WriteOrder()) {
        const SettingsControl* control = ControlFor(*key);
        ASSERT_NE(control, nullptr) << key->section << "/" << key->name;
        EXPECT_TRUE(ids.insert(indexOf(control->id)).second) << key->name << ": a second key";
        if (key->type == KeyType::Integer) {
            EXPECT_LT(control->minimum, control->maximum) << key->name;
        }
    }
    EXPECT_EQ(ids.size(), SettingsControls().size());
}

TEST_F(SettingsDialog, PagesAreChosenByTreeIndexAndTheLastOneReturns)
{
    const QStringList titles = {"Set General",     "Set MP3 General",      "Set MP3 General",
                                "Set MP3 VBR",     "Set MP3 Filter",       "Set MP3 Expert",
                                "Set MP3 Presets", "Set MP3 Command Line", "Set WAV Format",
                                "Set WMA Format",  "Set OGG Format"};
    ASSERT_EQ(SettingsPages().size(), 11u);
    model.FormShow();
    for (int i = 0; i < titles.size(); ++i) {
        model.TreeView1Click(i);
        EXPECT_EQ(model.title(), titles.at(i));
    }
    EXPECT_EQ(model.groupBox(), "gb_ogg");
    EXPECT_EQ(SettingsPages()[2].parent, 1);
    EXPECT_EQ(SettingsPages()[7].node, std::string("Command Line"));
    model.TreeView1Click(11);
    EXPECT_EQ(model.page(), 10) << "an index beyond the tree changes nothing";
    model.TreeView1Click(4);
    model.CancelClick();
    model.FormShow();
    EXPECT_EQ(model.groupBox(), "gb_filter");
}

TEST_F(SettingsDialog, DefaultThenOkStoresTheDefaultButtonValues)
{
    model.FormShow();
    model.Button2Click();
    ASSERT_TRUE(model.OkClick());
    EXPECT_EQ(stored("wav", "frequency"), "8");
    EXPECT_EQ(stored("mp3", "quality"), "5");
    EXPECT_EQ(stored("MP3VBR", "vbr quality"), "5");
    EXPECT_EQ(stored("ogg", "quality"), "300");
    EXPECT_EQ(stored("MP3VBR", "vbrck"), "1");
    EXPECT_EQ(stored("wma", "format"), "9");
    EXPECT_EQ(lvClicks, 1);
}

TEST_F(SettingsDialog, DefaultThenCancelStoresNothing)
{
    writeAll(iniPath, "[mp3]\nquality=2\n[wav]\nfrequency=3\n");
    const QByteArray before = readAll(iniPath);
    model.FormShow();
    model.Button2Click();
    EXPECT_EQ(model.value(keys::WavFrequency), 8);
    model.CancelClick();
    EXPECT_EQ(readAll(iniPath), before);
    model.FormShow();
    EXPECT_EQ(model.value(keys::Mp3Quality), 2);
    EXPECT_EQ(model.value(keys::WavFrequency), 3);
}

TEST_F(SettingsDialog, DefaultLeavesTheGeneralPageAndTheCommandLine)
{
    model.FormShow();
    model.rb_timeClick();
    model.setTimeText("15");
    model.setFadeIn(true);
    model.setCommandLineText("-V 2");
    model.Button2Click();
    EXPECT_EQ(model.functionChoice(), 1);
    EXPECT_EQ(model.timeText(), "15");
    EXPECT_TRUE(model.fadeIn());
    EXPECT_EQ(model.commandLineText(), "-V 2");
}

TEST_F(SettingsDialog, VbrAndWavRulesFollowTheChosenItem)
{
    model.FormShow();
    for (int method = 0; method < VbrMethodList().size(); ++method) {
        model.setValue(keys::VbrCodingMethod, method);
        for (const ControlId c : {cb_mp3_vbr, edt_mp3_vbr, ud_mp3_vbr, ck_mp3_VBR, ck_mp3_semb})
            EXPECT_EQ(on(c), method != 0) << indexOf(c) << " with method " << method;
    }
    for (int mode : {2, 0, 1, 2}) {
        model.setValue(keys::WavMode, mode);
        for (const ControlId c : {cb_wav_frequency, cb_wav_bit, cb_wav_channel})
            EXPECT_EQ(on(c), mode == 2) << indexOf(c) << " in mode " << mode;
    }
}

TEST_F(SettingsDialog, DefaultRunsTheBoxRulesButNotTheVbrRule)
{
    model.FormShow();
    model.setValue(keys::VbrCodingMethod, 3);
    model.setValue(keys::HighPassOn, 1);
    model.setValue(keys::WavMode, 2);
    model.setValue(keys::OggQualityMode, 1);
    model.Button2Click();
    EXPECT_EQ(model.value(keys::VbrCodingMethod), 0);
    EXPECT_TRUE(on(cb_mp3_vbr)) << "the method list raises no change when set by the program";
    EXPECT_FALSE(on(udHFiltF));
    EXPECT_FALSE(on(cb_wav_bit));
    EXPECT_TRUE(on(ck_oggvbr));
    EXPECT_FALSE(on(edt_ogg_quality));
    model.CancelClick();
    model.FormShow();
    EXPECT_FALSE(on(cb_mp3_vbr)) << "showing again applies the rule";
}

TEST_F(SettingsDialog, FilterRulesEnableFrequencyWidthAndLabel)
{
    model.FormShow();
    struct Row {
        int high, low;
    };
    for (const Row r : {Row{1, 0}, Row{1, 1}, Row{0, 1}, Row{0, 0}}) {
        model.setValue(keys::HighPassOn, r.high);
        model.setValue(keys::LowPassOn, r.low);
        for (const ControlId c : {udHFiltF, udHFiltW, lab_HFiltW})
            EXPECT_EQ(on(c), r.high == 1) << indexOf(c);
        for (const ControlId c : {udLFiltF, udLFiltW, lab_LFiltW})
            EXPECT_EQ(on(c), r.low == 1) << indexOf(c);
    }
}

TEST_F(SettingsDialog, PresetBoxesExcludeEachOther)
{
    model.FormShow();
    using namespace keys;
    // Each step: the box clicked, its new state, then what is enabled:
    // rg_prest, rg_alt, ck_preset, ck_alt.
    struct Step {
        const Key* box;
        int state;
        bool rgPrest, rgAlt, ckPreset, ckAlt;
    };
    const Step steps[] = {
        {&PresetOn, 1, true, false, true, false},
        {&PresetOn, 0, false, false, true, true},
        {&AltPresetOn, 1, false, true, false, true},
        {&AltPresetOn, 0, false, false, true, true},
    };
    for (const Step& s : steps) {
        model.setValue(*s.box, s.state);
        EXPECT_EQ(on(rg_prest), s.rgPrest) << s.box->name << "=" << s.state;
        EXPECT_EQ(on(rg_alt), s.rgAlt) << s.box->name << "=" << s.state;
        EXPECT_EQ(on(ck_preset), s.ckPreset) << s.box->name << "=" << s.state;
        EXPECT_EQ(on(ck_alt), s.ckAlt) << s.box->name << "=" << s.state;
    }
}

TEST_F(SettingsDialog, AFileWithBothPresetFlagsChecksBoth)
{
    writeAll(iniPath, "[MP3Prest]\npreset=1\nalt=1\nrg_prest=8\nrg_alt=2\n");
    model.FormShow();
    EXPECT_EQ(model.value(keys::PresetOn), 1);
    EXPECT_EQ(model.value(keys::AltPresetOn), 1);
    EXPECT_EQ(model.value(keys::Preset), 8);
    EXPECT_TRUE(on(rg_prest));
    EXPECT_TRUE(on(rg_alt));
    EXPECT_FALSE(on(ck_preset));
}

TEST_F(SettingsDialog, OggModesExcludeEachOther)
{
    model.FormShow();
    model.setValue(keys::OggQualityMode, 1);
    EXPECT_FALSE(on(ck_oggvbr));
    EXPECT_TRUE(on(edt_ogg_quality));
    EXPECT_TRUE(on(ud_ogg_quality));
    model.setValue(keys::OggQualityMode, 0);
    model.setValue(keys::OggVariableBitrate, 1);
    EXPECT_FALSE(on(ck_oggquality));
    EXPECT_TRUE(on(cb_ogg_minbit));
    EXPECT_TRUE(on(cb_ogg_maxbit));
    EXPECT_FALSE(on(edt_ogg_quality));
    model.setValue(keys::OggVariableBitrate, 0);
    EXPECT_TRUE(on(ck_oggquality));
    EXPECT_FALSE(on(cb_ogg_minbit));
}

TEST_F(SettingsDialog, RefusedFormatsStoreNothingAndSayWhy)
{
    writeAll(iniPath, "; kept\n[mp3]\nbitrate=9\n");
    const QByteArray before = readAll(iniPath);
    const Options shown = options;
    model.FormShow();
    model.rb_countClick();
    model.setValue(keys::Mp3Bitrate, 0); // 8 kbit/s at 44100 Hz
    EXPECT_FALSE(model.OkClick());
    ASSERT_EQ(prompts.informations.size(), 1);
    EXPECT_EQ(prompts.informations.at(0), SettingsDialogModel::Mp3Message());
    EXPECT_EQ(prompts.informations.at(0).split('\n').size(), 3);
    EXPECT_FALSE(prompts.informations.at(0).contains('\r'));
    EXPECT_TRUE(prompts.informations.at(0).startsWith("This MP3 format is not supported. \n"));

    model.setValue(keys::Mp3Bitrate, 9);
    model.setValue(keys::OggFrequency, 0); // 8000 Hz cannot carry 320 kbit/s
    model.setValue(keys::OggBitrate, 14);
    model.setValue(keys::OggMinBitrate, 14);
    model.setValue(keys::OggMaxBitrate, 14);
    model.setValue(keys::Mp3Bitrate, 0); // the OGG message comes first
    EXPECT_FALSE(model.OkClick());
    ASSERT_EQ(prompts.informations.size(), 2);
    EXPECT_EQ(prompts.informations.at(1), SettingsDialogModel::OggMessage());
    EXPECT_TRUE(prompts.informations.at(1).startsWith("This OGG format is not supported. \n"));

    EXPECT_EQ(readAll(iniPath), before);
    EXPECT_EQ(options.functionChoice, shown.functionChoice);
    EXPECT_EQ(lvClicks, 0);

    // Quality mode skips the OGG check.
    model.setValue(keys::Mp3Bitrate, 9);
    model.setValue(keys::OggQualityMode, 1);
    EXPECT_TRUE(model.OkClick());
    EXPECT_EQ(stored("ogg", "frequency"), "0");
    EXPECT_EQ(options.functionChoice, 2);
}

TEST_F(SettingsDialog, OkWritesMainPathThenEveryKeyInOrder)
{
    int choiceSeenByLvClick = -1;
    QStringList keysSeenByLvClick;
    model.setLvClick([&] {
        choiceSeenByLvClick = options.functionChoice;
        keysSeenByLvClick = keysInFile(iniPath);
    });
    model.FormShow();
    model.rb_unificationClick();
    ASSERT_TRUE(model.OkClick());
    const QStringList expected = {
        "Main/Path",        "mp3/bitrate",          "mp3/channel",        "mp3/frequency",
        "mp3/quality",      "MP3VBR/Coding Method", "MP3VBR/vbr bitrate", "MP3VBR/vbr quality",
        "MP3VBR/vbrck",     "MP3VBR/semb",          "MP3Filt/chHFilt",    "MP3Filt/chLFilt",
        "MP3Filt/udHFiltF", "MP3Filt/udHFiltW",     "MP3Filt/udLFiltF",   "MP3Filt/udLFiltW",
        "MP3Expert/Bit",    "MP3Expert/short",      "MP3Expert/allow",    "MP3Expert/comply",
        "MP3Expert/crc",    "MP3Expert/ath",        "MP3Expert/de",       "MP3Prest/preset",
        "MP3Prest/alt",     "MP3Prest/rg_prest",    "MP3Prest/rg_alt",    "wav/mode",
        "wav/bit",          "wav/channel",          "wav/frequency",      "wma/format",
        "ogg/channel",      "ogg/frequency",        "ogg/bitrate",        "ogg/max bitrate",
        "ogg/min bitrate",  "ogg/quality",          "ogg/oggvbr",         "ogg/oggquality"};
    EXPECT_EQ(keysInFile(iniPath), expected);
    EXPECT_EQ(keysSeenByLvClick, expected) << "the segment list is rebuilt after the writes";
    EXPECT_EQ(choiceSeenByLvClick, 3);
    // The general options stay in memory until the main window closes.
    EXPECT_EQ(stored("Function", "Choice"), "<none>");
    EXPECT_EQ(stored("mp3", "quality"), "4");
}

TEST_F(SettingsDialog, OkStoresTheFolderAsTypedAndKeepsOneWithASeparator)
{
    model.FormShow();
    model.setTimeText("90");
    model.setCountText("3");
    model.setFadeOut(true);
    model.setFadeOutIndex(19);
    ASSERT_TRUE(model.OkClick());
    EXPECT_EQ(stored("Main", "Path"), "/music/out");
    EXPECT_EQ(options.outputDir, "/music/out/");
    EXPECT_EQ(options.pieceSeconds, 90);
    EXPECT_EQ(options.pieceCount, 3);
    EXPECT_TRUE(options.fadeOut);
    EXPECT_EQ(options.fadeOutSeconds, 20);

    dirBox = "/music/other/";
    model.FormShow();
    ASSERT_TRUE(model.OkClick());
    EXPECT_EQ(stored("Main", "Path"), "/music/other/");
    EXPECT_EQ(options.outputDir, "/music/other/");
}

TEST_F(SettingsDialog, AnEmptyOutputFolderIsRefused)
{
    model.FormShow();
    model.rb_timeClick();
    for (const QString& empty : {QString(), QString("   ")}) {
        dirBox = empty;
        EXPECT_FALSE(model.OkClick());
        EXPECT_EQ(prompts.informations.last(), SettingsDialogModel::EmptyFolderMessage());
    }
    EXPECT_FALSE(QFile::exists(iniPath));
    EXPECT_EQ(options.functionChoice, 0);
    EXPECT_NE(options.outputDir, "/");
}

TEST_F(SettingsDialog, CancelRestoresTheChoiceAndTheCommandLine)
{
    model.FormShow();
    model.setCommandLineText("-b 64");
    ASSERT_TRUE(model.OkClick());
    EXPECT_EQ(model.commandLineText(), "-b 64");

    model.FormShow();
    model.rb_unificationClick();
    model.setCommandLineText("-b 320");
    model.CancelClick();
    EXPECT_EQ(options.functionChoice, 0);
    EXPECT_EQ(model.functionChoice(), 0);
    EXPECT_EQ(model.commandLineText(), "-b 64");
    EXPECT_EQ(lvClicks, 1);
    model.FormShow();
    EXPECT_EQ(model.functionChoice(), 0);
    EXPECT_EQ(model.commandLineText(), "-b 64");
}

TEST_F(SettingsDialog, TheCopyOptionIsAProposalUntilOkAndDefaultSwitchesItOff)
{
    model.FormShow();
    EXPECT_FALSE(model.losslessCopy());
    model.setLosslessCopy(true);
    model.CancelClick();
    EXPECT_FALSE(options.losslessCopy);
    model.FormShow();
    EXPECT_FALSE(model.losslessCopy()) << "showing again reloads the option";

    model.setLosslessCopy(true);
    ASSERT_TRUE(model.OkClick());
    EXPECT_TRUE(options.losslessCopy);
    EXPECT_EQ(stored("mp3", "lossless copy"), "<none>")
        << "a general option: in memory until the main window closes";
    model.FormShow();
    EXPECT_TRUE(model.losslessCopy());

    model.rb_timeClick();
    model.Button2Click();
    EXPECT_FALSE(model.losslessCopy()) << "an MP3 page setting, back to its default";
    EXPECT_EQ(model.functionChoice(), 1);
    EXPECT_TRUE(options.losslessCopy) << "nothing is stored before Ok";
    ASSERT_TRUE(model.OkClick());
    EXPECT_FALSE(options.losslessCopy);
}

TEST_F(SettingsDialog, SplitEditsTakeDigitsAndFallBackWhenLeft)
{
    for (QChar c : QString("0123456789"))
        EXPECT_TRUE(SettingsDialogModel::acceptsTypedCharacter(c));
    for (QChar c : QString("a-+ .,\r\x08"))
        EXPECT_FALSE(SettingsDialogModel::acceptsTypedCharacter(c)) << int(c.unicode());

    model.FormShow();
    struct Case {
        QString typed, time, count;
    };
    for (const Case& c : {Case{"", "60", "1"}, Case{"0", "60", "1"}, Case{"-4", "60", "1"},
                          Case{"7", "7", "7"}, Case{"2147483647", "2147483647", "2147483647"}}) {
        model.setTimeText(c.typed);
        model.setCountText(c.typed);
        model.edt_timeExit();
        model.edt_countExit();
        EXPECT_EQ(model.timeText(), c.time) << c.typed.toStdString();
        EXPECT_EQ(model.countText(), c.count) << c.typed.toStdString();
    }
    EXPECT_TRUE(prompts.informations.isEmpty());
}

TEST_F(SettingsDialog, PastedTextThatIsNoNumberIsReportedAndStoresNothing)
{
    model.FormShow();
    model.rb_countClick();
    for (const QString& pasted : {QString("12a"), QString("99999999999"), QString("1.5")}) {
        prompts.informations.clear();
        model.setCountText(pasted);
        model.edt_countExit();
        EXPECT_EQ(model.countText(), pasted);
        EXPECT_FALSE(model.OkClick());
        EXPECT_EQ(prompts.informations,
                  QStringList(2, QString("'%1' is not a valid integer value").arg(pasted)));
    }
    EXPECT_FALSE(QFile::exists(iniPath));
    EXPECT_EQ(options.functionChoice, 0);
    EXPECT_EQ(options.pieceCount, 6);
}

TEST_F(SettingsDialog, TypedOggQualityIsBroughtIntoRange)
{
    model.FormShow();
    model.setValue(keys::OggQuality, 5000);
    EXPECT_EQ(model.value(keys::OggQuality), 1000);
    model.setValue(keys::OggQuality, -20);
    EXPECT_EQ(model.value(keys::OggQuality), 0);
    model.setValue(keys::Mp3Quality, 12);
    EXPECT_EQ(model.value(keys::Mp3Quality), 9);
}

TEST_F(SettingsDialog, AWmaTextNamingNoProfileStoresMinusOne)
{
    model.FormShow();
    model.setValue(keys::WmaProfile, -1);
    model.setValue(keys::Mp3Bitrate, 40); // not in the list: ignored
    EXPECT_EQ(model.value(keys::Mp3Bitrate), 9);
    ASSERT_TRUE(model.OkClick());
    EXPECT_EQ(stored("wma", "format"), "-1");
    model.FormShow();
    EXPECT_EQ(model.value(keys::WmaProfile), 9);
}

TEST_F(SettingsDialog, BooleansReadAsNonZeroAndAreWrittenBackAsOne)
{
    writeAll(iniPath, "[MP3Expert]\ncrc=7\n");
    model.FormShow();
    EXPECT_EQ(model.value(keys::Crc), 1);
    ASSERT_TRUE(model.OkClick());
    EXPECT_EQ(stored("MP3Expert", "crc"), "1");
}

TEST_F(SettingsDialog, ABadOptionsFileShowsDefaultsWhereValuesAreUnusable)
{
    writeAll(iniPath, "[Function]\nChoice=9\n"
                      "[Choice]\ntime=-5\nCount=0\n"
                      "[Fade]\nIn=1\nIntime=0\nOuttime=77\n"
                      "[mp3]\nbitrate=99\nchannel=-1\nfrequency=abc\nquality=-3\n"
                      "[MP3VBR]\nCoding Method=5\nvbr quality=99999999999\n"
                      "[MP3Filt]\nudHFiltF=-100\nudLFiltW=4000000\nudLFiltF=\x01\x02zz\n"
                      "[MP3Expert]\nath=4\nde=-2\n"
                      "[MP3Prest]\nrg_prest=11\nrg_alt=5\n"
                      "[wav]\nmode=3\nbit=2\n"
                      "[wma]\nformat=47\n"
                      "[ogg]\nquality=1001\nmin bitrate=15\n"
                      "garbage line without equals\n=7\n");
    options = LoadOptions(ini);
    model.FormShow();
    EXPECT_EQ(model.functionChoice(), 0);
    model.rb_timeClick();
    model.CancelClick();
    EXPECT_EQ(model.functionChoice(), 0) << "Cancel goes back to a choice the dialog can show";
    model.FormShow();
    EXPECT_EQ(model.timeText(), "60");
    EXPECT_EQ(model.countText(), "6");
    EXPECT_TRUE(model.fadeIn());
    EXPECT_EQ(model.fadeInIndex(), 4);
    EXPECT_EQ(model.fadeOutIndex(), 4);
    for (const Key* key : WriteOrder())
        EXPECT_EQ(model.value(*key), key->missing) << key->section << "/" << key->name;

    ASSERT_TRUE(model.OkClick());
    EXPECT_EQ(options.functionChoice, 0);
    EXPECT_EQ(options.pieceSeconds, 60);
    EXPECT_EQ(options.fadeInSeconds, 5);
    EXPECT_EQ(options.fadeOutSeconds, 5);
    for (const Key* key : WriteOrder()) {
        const int v = ini.readInteger(key->section, key->name, -12345);
        if (key->list) {
            EXPECT_TRUE(key->list->contains(v)) << key->name << "=" << v;
        } else if (key->type == KeyType::Integer) {
            EXPECT_TRUE(v >= ControlFor(*key)->minimum && v <= ControlFor(*key)->maximum)
                << key->name << "=" << v;
        } else {
            EXPECT_TRUE(v == 0 || v == 1) << key->name << "=" << v;
        }
    }
    EXPECT_TRUE(readAll(iniPath).contains("garbage line without equals"));
}
