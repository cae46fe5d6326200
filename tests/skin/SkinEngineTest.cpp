// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/Skin.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QObject>
#include <QTemporaryDir>

namespace {

const QStringList kClickable = {"file", "action", "Settings", "Help", "addfile", "Up",
                                "Down", "Remove", "Clear",    "Set",  "play",    "stop",
                                "hou",  "qian",   "Split",    "Join", "Begin",   "End",
                                "Ok",   "Stop",   "helpfile", "dir"};

// The ordinary controls that lie on top of the panel; no clickable element
// may hide under them.
const QList<QRect> kControls = {QRect(37, 103, 205, 182), QRect(242, 103, 245, 182),
                                QRect(232, 39, 131, 18), QRect(432, 37, 59, 21)};

struct Events {
    QStringList log;

    void listen(Skin& skin)
    {
        QObject::connect(&skin, &Skin::OnClick,
                         [this](SkinObject* s) { log << "click " + s->GetName(); });
        QObject::connect(&skin, &Skin::OnMouseDown, [this](SkinObject* s, int b, int x, int y) {
            log << QString("down %1 %2 %3,%4").arg(s->GetName()).arg(b).arg(x).arg(y);
        });
        QObject::connect(&skin, &Skin::OnMouseUp, [this](SkinObject* s, int b, int x, int y) {
            log << QString("up %1 %2 %3,%4").arg(s->GetName()).arg(b).arg(x).arg(y);
        });
        QObject::connect(&skin, &Skin::OnScrollTrack, [this](SkinObject* s, int pos) {
            log << QString("track %1 %2").arg(s->GetName()).arg(pos);
        });
    }
};

class SkinEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(skin.LoadSkinFile(testsupport::sourceDir() + "/skin/vessimo.skin"))
            << qPrintable(skin.lastError());
        skin.SkinWindow(&window);
        skin.SkinWindowAs(&window, "Vessimo");
        form = skin.GetSkinnedWindow(&window);
        ASSERT_NE(form, nullptr);
        events.listen(skin);
    }

    SkinElement* element(const QString& name) const { return form->element(name); }

    QObject window;
    Skin skin;
    SkinnedWindow* form = nullptr;
    Events events;
};

} // namespace

TEST_F(SkinEngineTest, FrontPanelHasTheDisplayElementsWithTheirInterfaces)
{
    EXPECT_EQ(form->width(), 521);
    EXPECT_EQ(form->height(), 380);

    SkinObject* pb = form->FindElement("pb");
    ASSERT_NE(pb, nullptr);
    EXPECT_EQ(pb->GetName(), "pb");
    EXPECT_NE(dynamic_cast<SkinScroller*>(pb), nullptr);
    EXPECT_NE(dynamic_cast<SkinFrame*>(pb), nullptr);
    for (const char* name : {"timecaption", "tataltime", "pbpos"}) {
        SkinObject* e = form->FindElement(name);
        ASSERT_NE(e, nullptr) << name;
        EXPECT_NE(dynamic_cast<SkinText*>(e), nullptr) << name;
        EXPECT_NE(dynamic_cast<SkinFrame*>(e), nullptr) << name;
        EXPECT_EQ(dynamic_cast<SkinScroller*>(e), nullptr) << name;
    }
    SkinObject* bar = form->FindElement("convertpb");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(element("convertpb")->kind(), SkinKind::Bar);
    EXPECT_EQ(dynamic_cast<SkinText*>(bar), nullptr);

    // The bar reaches 454 pixels at 100 % and must fit the window doing so.
    const SkinRect b = element("convertpb")->GetBounds();
    EXPECT_EQ(b.width(), 454);
    EXPECT_LE(b.right, 521);
    // The slider runs across under the lists, its time under it.
    const SkinRect slider = element("pb")->GetBounds();
    EXPECT_GE(slider.top, 285);
    EXPECT_LE(slider.left, 37);
    EXPECT_GE(slider.right, 487);
    EXPECT_GE(element("timecaption")->GetBounds().top, slider.bottom);
}

TEST_F(SkinEngineTest, EveryClickableElementIsAnUnhiddenButtonInsideTheWindow)
{
    QList<QRect> faces;
    for (const QString& name : kClickable) {
        SkinElement* e = element(name);
        ASSERT_NE(e, nullptr) << qPrintable(name);
        EXPECT_EQ(e->kind(), SkinKind::Button) << qPrintable(name);
        const QRect r = e->GetBounds().toQRect();
        EXPECT_TRUE(QRect(0, 0, 521, 380).contains(r)) << qPrintable(name);
        EXPECT_GE(r.width(), 16) << qPrintable(name);
        EXPECT_GE(r.height(), 16) << qPrintable(name);
        for (const QRect& control : kControls)
            EXPECT_FALSE(r.intersects(control)) << qPrintable(name) << " lies under a control";
        for (const QRect& other : faces)
            EXPECT_FALSE(r.intersects(other)) << qPrintable(name) << " overlaps another button";
        faces << r;
        // What the mouse finds at the element's centre is the element itself.
        EXPECT_EQ(form->elementAt(r.center().x(), r.center().y()), e) << qPrintable(name);
    }
    EXPECT_EQ(form->FindElement("help"), nullptr) << "names compare case included";
    EXPECT_EQ(form->FindElement(""), nullptr);
}

TEST_F(SkinEngineTest, MenusSitWhereTheirPopupsOpen)
{
    const std::pair<const char*, int> menus[] = {{"file", 179}, {"action", 211}, {"Help", 383}};
    for (const auto& [name, x] : menus) {
        const SkinRect r = element(name)->GetBounds();
        EXPECT_EQ(r.left, x) << name;
        EXPECT_LE(r.bottom, 32) << name << " must end on the top bar";
    }
    // The folder button beside the folder box.
    const SkinRect dir = element("dir")->GetBounds();
    EXPECT_GE(dir.left, 363);
    EXPECT_LE(dir.left, 371);
    EXPECT_LT(dir.top, 39 + 18);
    EXPECT_GT(dir.bottom, 39);
}

TEST_F(SkinEngineTest, PressAndReleaseOnAnElementRaisesItsClick)
{
    const QPoint c = element("Split")->GetBounds().toQRect().center();
    skin.mousePress(&window, c.x(), c.y(), 0);
    EXPECT_EQ(skin.pressed(), element("Split"));
    skin.mouseRelease(&window, c.x() + 1, c.y(), 0);
    EXPECT_EQ(events.log,
              QStringList({QString("down Split 0 %1,%2").arg(c.x()).arg(c.y()),
                           QString("up Split 0 %1,%2").arg(c.x() + 1).arg(c.y()), "click Split"}));
    EXPECT_EQ(skin.pressed(), nullptr);
}

TEST_F(SkinEngineTest, ReleasingElsewhereOrWithTheRightButtonIsNoClick)
{
    const QPoint a = element("play")->GetBounds().toQRect().center();
    const QPoint b = element("Join")->GetBounds().toQRect().center();
    skin.mousePress(&window, a.x(), a.y(), 0);
    skin.mouseRelease(&window, b.x(), b.y(), 0);
    skin.mousePress(&window, a.x(), a.y(), 1);
    skin.mouseRelease(&window, a.x(), a.y(), 1);
    // Outside every named element nothing happens at all.
    skin.mousePress(&window, 2, 2, 0);
    skin.mouseRelease(&window, 2, 2, 0);
    EXPECT_EQ(events.log.filter("click").size(), 0) << qPrintable(events.log.join('\n'));
    EXPECT_EQ(events.log.filter("down play").size(), 2);
    EXPECT_EQ(events.log.filter("up play").size(), 2);
}

TEST_F(SkinEngineTest, DraggingTheSliderTracksItsPositionBetweenDownAndUp)
{
    auto* pb = dynamic_cast<SkinSlider*>(element("pb"));
    ASSERT_NE(pb, nullptr);
    pb->SetMax(1100);
    pb->SetThumbSize(100);
    const SkinRect r = pb->GetBounds();
    const int y = (r.top + r.bottom) / 2;

    skin.mousePress(&window, r.left, y, 0); // on the thumb at 0: no movement yet
    skin.mouseMove(&window, (r.left + r.right) / 2, y);
    skin.mouseMove(&window, r.right + 50, y); // beyond the end: clipped to the range
    skin.mouseMove(&window, r.right + 60, y); // no change, no event
    skin.mouseRelease(&window, r.right + 60, y, 0);

    ASSERT_EQ(events.log.size(), 4) << qPrintable(events.log.join('\n'));
    EXPECT_TRUE(events.log[0].startsWith("down pb 0"));
    EXPECT_EQ(events.log[1], "track pb 500");
    EXPECT_EQ(events.log[2], "track pb 1000");
    EXPECT_TRUE(events.log[3].startsWith("up pb 0"));
    EXPECT_EQ(pb->GetPosition(), 1000) << "last reachable position: maximum minus thumb";
    EXPECT_EQ(pb->thumbCentre(), r.right - pb->thumbPixels() / 2);
}

TEST_F(SkinEngineTest, HoverFollowsTheMouseAndRedrawCoversOldAndNewBounds)
{
    const QPoint c = element("Ok")->GetBounds().toQRect().center();
    skin.mouseMove(&window, c.x(), c.y());
    EXPECT_EQ(skin.hovered(), element("Ok"));
    skin.mouseLeave(&window);
    EXPECT_EQ(skin.hovered(), nullptr);

    QList<QRect> areas;
    QObject::connect(form, &SkinnedWindow::redrawRequested, [&](const QRect& a) { areas << a; });
    SkinElement* bar = element("convertpb");
    const SkinRect full = bar->GetBounds();
    SkinRect empty = full;
    empty.right = empty.left;
    bar->SetBounds(empty);
    bar->Redraw();
    bar->Redraw();
    ASSERT_EQ(areas.size(), 2);
    EXPECT_EQ(areas[0], full.toQRect()) << "the shrunk bar must be wiped";
    EXPECT_TRUE(areas[1].isEmpty()) << "nothing left to paint of an empty bar";
}

TEST(SkinEngineFailureTest, MissingOrBrokenSkinLeavesTheWindowUndressed)
{
    QTemporaryDir dir;
    QObject window;
    Skin skin;
    EXPECT_FALSE(skin.LoadSkinFile(dir.filePath("mp3enc.dll")));
    EXPECT_TRUE(skin.lastError().contains("mp3enc.dll"));
    skin.SkinWindow(&window);
    skin.SkinWindowAs(&window, "Vessimo");
    EXPECT_EQ(skin.GetSkinnedWindow(&window), nullptr);
    skin.mousePress(&window, 10, 10, 0); // harmless
    skin.mouseRelease(&window, 10, 10, 0);

    testsupport::writeAll(dir.filePath("bad.skin"), "vessimo-skin 1\nform Other 5 5\nend\n");
    EXPECT_TRUE(skin.LoadSkinFile(dir.filePath("bad.skin")));
    skin.SkinWindowAs(&window, "Vessimo");
    EXPECT_EQ(skin.GetSkinnedWindow(&window), nullptr);
    EXPECT_TRUE(skin.lastError().contains("no form \"Vessimo\""));
}
