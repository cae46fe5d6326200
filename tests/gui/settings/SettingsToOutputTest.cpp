// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainSession.h"
#include "audio/WriterTesting.h"
#include "gui/settings/Tfm_set.h"
#include "settings/ConfigureEncoder.h"
#include "settings/SettingsDialogModel.h"
#include "settings/SettingsStore.h"
#include "support/FakeSeams.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace settings;

namespace {

// The settings dialog of a session, clicked as a user would, and outputs
// written afterwards by the session's writer configured from the file.
class SettingsToOutput : public ::testing::Test {
protected:
    void SetUp() override
    {
        session = std::make_unique<MainSession>(prompts, shell, dir.filePath("Vessimo.ini"),
                                                dir.filePath("no-skin"));
        session->AudioFile2write().SetEnabled(true);
        session->settingsDialog().setOutputDirBox([this] { return dir.path(); }, {});
        dialog = std::make_unique<Tfm_set>(session->settingsDialog(), prompts, nullptr);
    }

    template <typename T> T* get(const char* name)
    {
        T* w = dialog->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void choosePage(int index)
    {
        QTreeWidgetItemIterator it(get<QTreeWidget>("TreeView1"));
        for (int i = 0; i < index; ++i)
            ++it;
        get<QTreeWidget>("TreeView1")->setCurrentItem(*it);
    }

    void clickOk()
    {
        QTest::mouseClick(get<QPushButton>("Ok"), Qt::LeftButton);
        ASSERT_FALSE(dialog->isVisible()) << prompts.informations.join("|").toStdString();
    }

    EncoderConfiguration configuration(int format)
    {
        return ConfigureEncoder(format, SettingsStore(session->ini()),
                                session->settingsDialog().commandLineText());
    }

    // Three seconds of noise at 44100 Hz stereo through the configured writer.
    testsupport::StreamInfo writeOutput(int format, const QString& name)
    {
        const QString path = dir.filePath(name);
        configureWriter(format, SettingsStore(session->ini()),
                        session->settingsDialog().commandLineText(), session->AudioFile2write(),
                        session->Mp3LameEncoder());
        AudioFile& writer = session->AudioFile2write();
        writer.SetBlockFormat(44100, 2);
        writer.OpenWrite(path);
        for (int block = 0; block < 30; ++block)
            writer.WriteBlock(testsupport::noise(44100, 2, 4410));
        writer.Close();
        return testsupport::probe(path);
    }

    QTemporaryDir dir;
    RecordingPrompts prompts;
    RecordingShell shell;
    std::unique_ptr<MainSession> session;
    std::unique_ptr<Tfm_set> dialog;
};

} // namespace

TEST_F(SettingsToOutput, Mp3At64KbitMonoChosenInTheDialog)
{
    dialog->show();
    choosePage(2);
    get<QComboBox>("cb_mp3_bitrate")->setCurrentText("64 Kbps");
    get<QComboBox>("cb_mp3_channel")->setCurrentText("Mono");
    clickOk();

    const EncoderConfiguration config = configuration(FormatMp3);
    ASSERT_TRUE(config.mp3.properties.has_value());
    EXPECT_EQ(config.mp3.properties->bitrate, 64);
    EXPECT_EQ(config.mp3.properties->channels, 1);
    EXPECT_FALSE(config.mp3.properties->channelMode.has_value());
    EXPECT_EQ(config.mp3.properties->quality, 4) << "the shown quality is stored at Ok";
    EXPECT_EQ(config.mp3.properties->outputSampleRate, 44100);

    const testsupport::StreamInfo out = writeOutput(FormatMp3, "out.mp3");
    EXPECT_EQ(out.codec, "mp3");
    EXPECT_EQ(out.channels, 1);
    EXPECT_EQ(out.rate, 44100);
    EXPECT_EQ(out.bitRate, 64000);
}

TEST_F(SettingsToOutput, OggQualityChosenInTheDialog)
{
    dialog->show();
    choosePage(10);
    get<QComboBox>("cb_ogg_channel")->setCurrentText("Mono");
    QTest::mouseClick(get<QCheckBox>("ck_oggquality"), Qt::LeftButton, {},
                      QPoint(6, get<QCheckBox>("ck_oggquality")->height() / 2));
    get<QSpinBox>("ud_ogg_quality")->setValue(0);
    clickOk();
    const EncoderConfiguration low = configuration(FormatOgg);
    ASSERT_EQ(low.ogg.size(), 1u);
    EXPECT_EQ(low.ogg[0], (OggFormat{44100, 1, 0, 0, 0, 0}));
    const testsupport::StreamInfo lowOut = writeOutput(FormatOgg, "low.ogg");

    dialog->show();
    get<QSpinBox>("ud_ogg_quality")->setValue(1000);
    clickOk();
    EXPECT_EQ(configuration(FormatOgg).ogg.at(0).quality, 1000);
    const testsupport::StreamInfo highOut = writeOutput(FormatOgg, "high.ogg");

    EXPECT_EQ(lowOut.codec, "vorbis");
    EXPECT_EQ(lowOut.channels, 1);
    EXPECT_EQ(highOut.channels, 1);
    EXPECT_EQ(highOut.rate, 44100);
    EXPECT_GT(highOut.bitRate, 2 * lowOut.bitRate)
        << "quality 1000 against 0: " << highOut.bitRate << " and " << lowOut.bitRate;
}

TEST_F(SettingsToOutput, TheCommandLineOfTheLastOkReachesTheMp3Configuration)
{
    dialog->show();
    choosePage(7);
    QTest::keyClicks(get<QPlainTextEdit>("txtCommLine"), "-b 32");
    clickOk();
    EXPECT_EQ(configuration(FormatMp3).mp3.commandLine, "-b 32");
    dialog->show();
    get<QPlainTextEdit>("txtCommLine")->setPlainText("-b 320");
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_EQ(configuration(FormatMp3).mp3.commandLine, "-b 32");
}
