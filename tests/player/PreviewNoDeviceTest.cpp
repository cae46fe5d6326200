// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/AudioError.h"
#include "audio/AudioFile.h"
#include "audio/AudioPlayer.h"
#include "base/SessionState.h"
#include "player/Preview.h"
#include "player/PreviewTesting.h"
#include "support/FakeSeams.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

using namespace previewtest;

// Run with an audio driver that does not exist, as on a machine without any
// sound output.
TEST(PreviewWithoutSound, PlayFailsAtOnceWithAClearMessageAndLeavesThePreviewIdle)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("a.wav");
    writeIndexedWav(file, 5);
    AudioFile reader;
    reader.SetEnabled(true);
    AudioPlayer player;
    JobListStandIn list;
    list.entries.push_back({file, 5, {}});
    list.selectedFile = 0;
    PanelElements panel;
    panel.prepareFor(5);
    RecordingPrompts prompts;
    SessionState state;
    Preview preview(reader, player, list, state, prompts);
    preview.attachSlider(panel.pb);
    QObject::connect(&preview, &Preview::positionTimeChanged,
                     [&](const QString& text) { panel.timecaption.SetText(text); });

    QElapsedTimer timer;
    timer.start();
    try {
        preview.PlaySelection();
        FAIL() << "playing without an audio output succeeded";
    } catch (const AudioError& e) {
        EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith("Cannot start the audio output"))
            << e.what();
    }
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_FALSE(state.PreviewActive());
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(panel.timecaption.GetText(), "00:00:00");
}
