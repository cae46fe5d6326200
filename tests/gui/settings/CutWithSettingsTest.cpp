// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/JobSessionFixture.h"
#include "gui/settings/Tfm_set.h"
#include "settings/ConfigureEncoder.h"
#include "settings/SettingsDialogModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>

namespace {

// Cuts run by the session after the settings dialog was clicked through.
class CutWithSettings : public enginetest::JobSessionTest {
protected:
    void SetUp() override
    {
        JobSessionTest::SetUp();
        session->settingsDialog().setOutputDirBox([this] { return outDir(); }, {});
        dialog = std::make_unique<Tfm_set>(session->settingsDialog(), prompts, nullptr);
        enginetest::makeSource(src("long.wav"), 4);
        add({src("long.wav")});
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
    void check(const char* name)
    {
        auto* box = get<QAbstractButton>(name);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }
    void ok()
    {
        QTest::mouseClick(get<QPushButton>("Ok"), Qt::LeftButton);
        ASSERT_FALSE(dialog->isVisible()) << prompts.informations.join("|").toStdString();
    }
    // The outputs a cut in `format` adds to the output folder.
    QStringList cut(int format)
    {
        const QStringList before = outputs();
        setFormat(format);
        EXPECT_TRUE(session->cutCommand());
        QStringList added;
        for (const QString& name : outputs())
            if (!before.contains(name))
                added << out(name);
        return added;
    }

    std::unique_ptr<Tfm_set> dialog;
};

} // namespace

TEST_F(CutWithSettings, Mp3At64KbitMonoInTwoPieces)
{
    dialog->show();
    check("rb_count");
    get<QLineEdit>("edt_count")->setText("2");
    choosePage(2);
    get<QComboBox>("cb_mp3_bitrate")->setCurrentText("64 Kbps");
    get<QComboBox>("cb_mp3_channel")->setCurrentText("Mono");
    ok();

    const QStringList pieces = cut(settings::FormatMp3);
    ASSERT_EQ(pieces.size(), 2);
    for (const QString& piece : pieces) {
        const testsupport::ProcessResult r = testsupport::run(
            "ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                        "stream=codec_name,channels,bit_rate", "-of", "csv=p=0", piece});
        EXPECT_EQ(QString::fromUtf8(r.out).trimmed(), "mp3,1,64000") << piece.toStdString();
    }
    expectSourcesUnchanged();
}

TEST_F(CutWithSettings, OggQualityModeFollowsTheQualityChosen)
{
    dialog->show();
    choosePage(10);
    get<QComboBox>("cb_ogg_channel")->setCurrentText("Mono");
    check("ck_oggquality");
    get<QSpinBox>("ud_ogg_quality")->setValue(0);
    ok();
    const QStringList low = cut(settings::FormatOgg);

    dialog->show();
    get<QSpinBox>("ud_ogg_quality")->setValue(1000);
    ok();
    const QStringList high = cut(settings::FormatOgg);

    ASSERT_EQ(low.size(), 1);
    ASSERT_EQ(high.size(), 1);
    EXPECT_EQ(testsupport::probe(low[0]).channels, 1);
    EXPECT_EQ(testsupport::probe(high[0]).channels, 1);
    EXPECT_GT(QFileInfo(high[0]).size(), 2 * QFileInfo(low[0]).size());
}
