// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FrontPanel.h"
#include "app/FrontPanelDisplays.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

QString skinFile()
{
    return testsupport::sourceDir() + "/skin/vessimo.skin";
}

} // namespace

TEST(FrontPanelTest, SetupShowsTheEmptyPanelAndKeepsTheBarsRectangle)
{
    QObject window;
    Skin skin;
    FrontPanel panel;
    panel.SetupFrontPanel(skin, &window, skinFile());
    SkinnedWindow* form = skin.GetSkinnedWindow(&window);
    ASSERT_NE(form, nullptr);

    // The panel refers to the skin's own elements, not to stand-ins.
    EXPECT_EQ(&panel.pbFrame(), static_cast<SkinFrame*>(form->element("pb")));
    EXPECT_EQ(&panel.convertpb(), static_cast<SkinFrame*>(form->element("convertpb")));

    const SkinRect designed = panel.conversionBarRect();
    EXPECT_EQ(designed.width(), 454);
    const SkinRect shown = panel.convertpb().GetBounds();
    EXPECT_EQ(shown.left, designed.left);
    EXPECT_EQ(shown.right, designed.left) << "the bar starts with zero width";
    EXPECT_EQ(shown.top, designed.top);
    EXPECT_EQ(shown.bottom, designed.bottom);

    EXPECT_EQ(panel.pb().GetPosition(), 0);
    EXPECT_EQ(panel.pbpos().GetText(), "");
    EXPECT_EQ(panel.tataltime().GetText(), "00:00:00");
}

TEST(FrontPanelTest, TheAddingCountFitsItsElementOrBecomesAShare)
{
    const std::pair<std::pair<int, int>, QString> cases[] = {
        {{3, 40}, "3/40"},    {{12, 150}, "8%"},     {{12, 1500}, "0%"},
        {{750, 1500}, "50%"}, {{1499, 1500}, "99%"}, {{99'999, 100'000}, "99%"},
    };
    for (const auto& [count, shown] : cases)
        EXPECT_EQ(FrontPanelDisplays::addingProgressText(count.first, count.second), shown)
            << count.first << "/" << count.second;
}

TEST(FrontPanelTest, ConversionBarFollowsProgressOnEitherScale)
{
    QObject window;
    Skin skin;
    FrontPanel panel;
    panel.SetupFrontPanel(skin, &window, skinFile());
    const int left = panel.conversionBarRect().left;
    auto width = [&] { return panel.convertpb().GetBounds().right - left; };

    panel.SetConversionBar(5000, false);
    EXPECT_EQ(width(), 227);
    panel.SetConversionBar(5000, true);
    EXPECT_EQ(width(), 251);
    panel.SetConversionBar(9999, false);
    EXPECT_EQ(width(), 454);
    panel.SetConversionBar(10000, false);
    EXPECT_EQ(width(), 0) << "a finished segment shows an empty bar";
    panel.SetConversionBar(3000, false);
    panel.SetConversionBar(10200, false); // 463 pixels would pass the end
    EXPECT_EQ(width(), 136) << "an overlong bar leaves the old width";
    EXPECT_EQ(panel.conversionBarRect().right - left, 136);
}

TEST(FrontPanelTest, WithoutSkinTheStandInsTakeEveryUpdate)
{
    QTemporaryDir dir;
    QObject window;
    Skin skin;
    FrontPanel panel;
    panel.SetupFrontPanel(skin, &window, dir.filePath("mp3enc.dll"));
    EXPECT_EQ(skin.GetSkinnedWindow(&window), nullptr);
    EXPECT_EQ(panel.tataltime().GetText(), "00:00:00");
    panel.pb().SetMax(1084);
    panel.pb().SetPosition(12);
    panel.pbFrame().Redraw();
    panel.timecaption().SetText("00:00:01");
    panel.timecaptionFrame().Redraw();
    panel.SetConversionBar(5000, false);
    EXPECT_EQ(panel.pb().GetPosition(), 12);
    EXPECT_EQ(panel.timecaption().GetText(), "00:00:01");
}

TEST(FrontPanelTest, ASkinLackingAnElementGetsAStandInForItOnly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("partial.skin");
    testsupport::writeAll(path, "vessimo-skin 1\nform Vessimo 521 380\n"
                                "  slider pb 0 0 100 10\n"
                                "  button tataltime 0 20 50 10\n" // wrong kind
                                "end\n");
    QObject window;
    Skin skin;
    FrontPanel panel;
    panel.SetupFrontPanel(skin, &window, path);
    SkinnedWindow* form = skin.GetSkinnedWindow(&window);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(&panel.pbFrame(), static_cast<SkinFrame*>(form->element("pb")));
    EXPECT_NE(&panel.tataltimeFrame(), static_cast<SkinFrame*>(form->element("tataltime")));
    EXPECT_EQ(panel.tataltime().GetText(), "00:00:00");
    EXPECT_EQ(panel.convertpb().GetBounds().width(), 0);
}
