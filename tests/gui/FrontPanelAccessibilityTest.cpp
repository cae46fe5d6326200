// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SkinCommands.h"
#include "audio/AudioFile.h"
#include "gui/Tfm_main.h"
#include "gui/skin/SkinView.h"
#include "gui/skin/SliderWaveform.h"
#include "support/FakeSeams.h"
#include "support/TestSupport.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <QAbstractItemView>
#include <cmath>
#include <functional>

using testsupport::waitFor;

namespace {

// What a screen reader sees of the main window, and what it can do there.
class FrontPanelAccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<Tfm_main>(prompts, shell, dir.filePath("Vessimo.ini"),
                                            testsupport::sourceDir() + "/skin/vessimo.skin");
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        panel = QAccessible::queryAccessibleInterface(window->Skin1);
        ASSERT_NE(panel, nullptr);
    }

    QAccessibleInterface* find(const QString& name) const
    {
        for (int i = 0; i < panel->childCount(); ++i)
            if (panel->child(i)->text(QAccessible::Name) == name)
                return panel->child(i);
        return nullptr;
    }
    // An element that must exist: a missing one ends the test here.
    QAccessibleInterface* element(const QString& name) const
    {
        QAccessibleInterface* found = find(name);
        if (!found)
            throw std::runtime_error("no element named " + name.toStdString());
        return found;
    }
    // Records every operation the commands run.
    void recordOperations()
    {
        window->session().commands().onOperation = [this](Operation op) { ran.push_back(op); };
    }
    void addSecondsOfSound(int seconds)
    {
        const QString path = dir.filePath("tone.wav");
        AudioFile writer;
        writer.SetEnabled(true);
        writer.SetWavFormat(8000, 1, 16);
        writer.SetBlockFormat(8000, 1);
        writer.OpenWrite(path);
        writer.SetBlockFormat(8000, 1);
        SampleArray block;
        block.channels = 1;
        block.rate = 8000;
        for (int i = 0; i < seconds * 8000; ++i)
            block.samples.push_back(0.3f * std::sin(i * 0.05f));
        writer.WriteBlock(block);
        writer.Close();
        JobArea& jobs = window->session().jobs();
        ASSERT_EQ(jobs.addFilePaths({path}), 1);
        jobs.list().select(0);
        jobs.lvClick();
    }

    QTemporaryDir dir;
    RecordingPrompts prompts;
    RecordingShell shell;
    std::unique_ptr<Tfm_main> window;
    QAccessibleInterface* panel = nullptr;
    std::vector<Operation> ran;
};

void collectNames(QAccessibleInterface* iface, QStringList& names)
{
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        if (!child)
            continue;
        const QString name = child->text(QAccessible::Name);
        const auto role = child->role();
        if (!name.isEmpty() && role != QAccessible::ColumnHeader && role != QAccessible::Cell &&
            role != QAccessible::ListItem)
            names << name;
        collectNames(child, names);
    }
}

} // namespace

TEST_F(FrontPanelAccessibilityTest, EveryElementHasARoleAndANameUniqueInTheWindow)
{
    QAccessibleInterface* main = QAccessible::queryAccessibleInterface(window.get());
    EXPECT_EQ(main->role(), QAccessible::Window) << "announced as a window";
    EXPECT_EQ(main->text(QAccessible::Name), "Vessimo");

    QStringList names;
    collectNames(main, names);
    QStringList duplicates;
    for (const QString& n : names)
        if (names.count(n) > 1 && !duplicates.contains(n))
            duplicates << n;
    EXPECT_TRUE(duplicates.isEmpty()) << duplicates.join(", ").toStdString();

    // Every clickable element of the command table is a button somebody can press.
    SkinnedWindow* form = window->session().skin().GetSkinnedWindow(window.get());
    for (const auto& row : ElementCommands()) {
        QAccessibleInterface* button = panel->childAt(
            window->Skin1->mapToGlobal(form->element(row.name)->GetBounds().toQRect().center()).x(),
            window->Skin1->mapToGlobal(form->element(row.name)->GetBounds().toQRect().center())
                .y());
        ASSERT_NE(button, nullptr) << row.name.toStdString();
        EXPECT_EQ(button->role(), QAccessible::Button) << row.name.toStdString();
        EXPECT_FALSE(button->text(QAccessible::Name).isEmpty()) << row.name.toStdString();
        ASSERT_NE(button->actionInterface(), nullptr);
        EXPECT_TRUE(button->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
    }
    EXPECT_NE(find("Settings"), nullptr);
    EXPECT_NE(find("Function, fades and encoder settings"), nullptr)
        << "the icon-only Set has a name of its own";
    EXPECT_EQ(element("Add files")->text(QAccessible::Description), "Add files");

    for (const char* name : {"Position time", "Total length", "Progress"})
        EXPECT_EQ(element(name)->role(), QAccessible::StaticText) << name;
    EXPECT_EQ(element("Position")->role(), QAccessible::Slider);
    EXPECT_EQ(element("Conversion progress")->role(), QAccessible::ProgressBar);

    EXPECT_EQ(window->lv->accessibleName(), "Files");
    EXPECT_EQ(window->lv_time->accessibleName(), "Segments");
    EXPECT_EQ(window->edt_dir->accessibleName(), "Output folder");
    EXPECT_EQ(window->cb_format->accessibleName(), "Output format");
    EXPECT_TRUE(names.contains("Output format")) << "the format box's label";
}

TEST_F(FrontPanelAccessibilityTest, PressingReturnsAtOnceAndTheClickFollows)
{
    recordOperations();
    bool inside = false;
    window->session().commands().provide(Operation::ShowSettings, [&] { inside = true; });
    element("Function, fades and encoder settings")
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_FALSE(inside) << "the press does not wait for the dialog";
    EXPECT_TRUE(waitFor([&] { return inside; }, "the click to follow"));

    ran.clear();
    element("Stop the preview")
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    element("Help")->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    // The clicks follow in order: once the menu shows, both have been handled.
    EXPECT_TRUE(waitFor([&] { return window->p_help->isVisible(); },
                        "the help menu to pop up, not run in a loop of its own"));
    EXPECT_EQ(ran, std::vector<Operation>{Operation::PopUpHelpMenu});
    window->p_help->hide();
}

TEST_F(FrontPanelAccessibilityTest, TheSliderAndTheDisplaysReadAndActLikeThePanel)
{
    addSecondsOfSound(100);
    QAccessibleInterface* slider = element("Position");
    QAccessibleValueInterface* value = slider->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    // The last position the thumb reaches: the range every time is scaled to.
    EXPECT_EQ(value->maximumValue().toInt(), 916);
    EXPECT_EQ(value->currentValue().toInt(), 0);

    value->setCurrentValue(458);
    EXPECT_EQ(window->session().panel().pb().GetPosition(), 458);
    EXPECT_EQ(element("Position time")->textInterface()->text(0, -1), "00:00:50")
        << "the time follows as after a drag";
    value->setCurrentValue(5000);
    EXPECT_EQ(value->currentValue().toInt(), value->maximumValue().toInt())
        << "clipped to the range it reports";
    EXPECT_FALSE(window->session().state().SliderDragging()) << "pressed and released";

    EXPECT_EQ(element("Total length")->textInterface()->text(0, -1), "00:01:40");
    QAccessibleTextInterface* progress = element("Progress")->textInterface();
    EXPECT_EQ(progress->text(0, progress->characterCount()), "");
    window->session().panel().SetConversionBar(5000, false);
    EXPECT_EQ(element("Conversion progress")->valueInterface()->currentValue().toInt(), 50);
}

TEST_F(FrontPanelAccessibilityTest, TabWalksThePanelWithARingAndKeysReachTheCommands)
{
    recordOperations();
    window->session().commands().provide(Operation::AddFiles, [] {});
    window->Skin1->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(window->Skin1->hasFocus());
    const auto elements = window->Skin1->focusableElements();
    ASSERT_EQ(elements.size(), ElementCommands().size() + 1) << "every button and the slider";
    QStringList visited;
    for (size_t i = 0; i < elements.size(); ++i) {
        visited << window->Skin1->focusedElement()->GetName();
        QAccessibleInterface* focus = panel->focusChild();
        ASSERT_NE(focus, nullptr);
        EXPECT_TRUE(focus->state().focused);
        QTest::keyClick(window->Skin1, Qt::Key_Tab);
    }
    EXPECT_EQ(visited.size(), static_cast<int>(elements.size()));
    EXPECT_EQ(visited.front(), "file") << "reading order starts at the top left";
    EXPECT_FALSE(window->Skin1->hasFocus()) << "Tab leaves the panel after its last element";

    // Space on a focused button clicks it.
    window->Skin1->setFocus(Qt::TabFocusReason);
    SkinnedWindow* form = window->session().skin().GetSkinnedWindow(window.get());
    window->Skin1->setFocusedElement(form->element("Begin"));
    ran.clear();
    QTest::keyClick(window->Skin1, Qt::Key_Space);
    EXPECT_EQ(ran, std::vector<Operation>{Operation::SetSegmentBegin});

    // On the slider: B, E, Enter and the arrows.
    window->Skin1->setFocusedElement(form->element("pb"));
    ran.clear();
    for (Qt::Key key : {Qt::Key_B, Qt::Key_E, Qt::Key_Return, Qt::Key_Left, Qt::Key_Right})
        QTest::keyClick(window->Skin1, key);
    EXPECT_EQ(ran, (std::vector<Operation>{Operation::SetSegmentBegin, Operation::SetSegmentEnd,
                                           Operation::ConfirmSegment, Operation::StepBack,
                                           Operation::StepForward}));

    // In the segment list likewise; Ctrl+O and Delete anywhere.
    window->lv_time->setFocus();
    ran.clear();
    QTest::keyClick(window->lv_time, Qt::Key_E);
    QTest::keyClick(window->lv_time, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(window->lv_time, Qt::Key_Delete);
    EXPECT_EQ(ran, (std::vector<Operation>{Operation::SetSegmentEnd, Operation::AddFiles,
                                           Operation::RemoveFile, Operation::ShowTotalLength}));
}

// The keyboard starts on the file list, in the middle of the window, and
// Tab visits the lists before the panel's elements and the boxes at the top.
TEST_F(FrontPanelAccessibilityTest, TheFileListHasTheFirstFocusAndComesFirstInTabOrder)
{
    EXPECT_TRUE(window->lv->hasFocus());
    QTest::keyClick(window->lv, Qt::Key_Tab);
    EXPECT_TRUE(window->lv_time->hasFocus());
    QTest::keyClick(window->lv_time, Qt::Key_Tab);
    ASSERT_TRUE(window->Skin1->hasFocus());
    EXPECT_EQ(window->Skin1->focusedElement()->GetName(), "file");
    for (size_t i = 0; i < window->Skin1->focusableElements().size(); ++i)
        QTest::keyClick(window->Skin1, Qt::Key_Tab);
    EXPECT_TRUE(window->edt_dir->hasFocus());
    QTest::keyClick(window->edt_dir, Qt::Key_Tab);
    EXPECT_TRUE(window->cb_format->hasFocus());
    QTest::keyClick(window->cb_format, Qt::Key_Tab);
    EXPECT_TRUE(window->lv->hasFocus()) << "and round again";
}

// Space plays elsewhere; in the format box it opens the list, and in the
// folder box it is part of a folder's name.
TEST_F(FrontPanelAccessibilityTest, SpaceBelongsToTheBoxesThatHaveTheFocus)
{
    addSecondsOfSound(5);
    recordOperations();
    window->cb_format->setFocus();
    QTest::keyClick(window->cb_format, Qt::Key_Space);
    EXPECT_TRUE(window->cb_format->view()->isVisible()) << "the list opened";
    window->cb_format->hidePopup();
    window->edt_dir->setFocus();
    window->edt_dir->clear();
    QTest::keyClicks(window->edt_dir, "/tmp/a b");
    EXPECT_EQ(window->edt_dir->text(), "/tmp/a b");
    EXPECT_TRUE(ran.empty()) << "no preview started";
    window->edt_dir->setText(window->session().options().outputDir);

    window->lv->setFocus();
    QTest::keyClick(window->lv, Qt::Key_Space);
    EXPECT_EQ(ran, std::vector<Operation>{Operation::PlaySelection});
    window->session().runCommand(Command::StopAll);
}

TEST_F(FrontPanelAccessibilityTest, MenusAndHintsShowTheKeys)
{
    QStringList shown;
    for (QAction* a : window->p_file->actions())
        if (!a->shortcut().isEmpty())
            shown << a->text() + "=" + a->shortcut().toString();
    EXPECT_EQ(shown, QStringList({"Add File=Ctrl+O", "Remove=Del"}));
    EXPECT_EQ(element("Play the file or the selected segment")
                  ->actionInterface()
                  ->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
              QStringList{"Space"});
}

TEST_F(FrontPanelAccessibilityTest, TheSelectedFilesWaveformLiesBehindTheSlider)
{
    addSecondsOfSound(100);
    const WaveformLoader& loader = window->waveform().loader();
    ASSERT_TRUE(waitFor([&] { return !loader.busy() && !loader.peaks().empty(); }, "the waveform"))
        << loader.path().toStdString() << " busy=" << loader.busy();
    EXPECT_EQ(loader.path(), window->session().jobs().list().entry(0).path);

    // Above the groove the envelope shows; with no file selected it does not.
    const QRect pb = window->session().panel().pbFrame().GetBounds().toQRect();
    const QPoint probe(pb.center().x(), pb.top() + 3);
    const QColor withWave = window->Skin1->grab().toImage().pixelColor(probe);
    window->session().jobs().list().select(-1);
    ASSERT_TRUE(waitFor([&] { return loader.peaks().empty(); }, "the waveform to go"));
    const QColor without = window->Skin1->grab().toImage().pixelColor(probe);
    EXPECT_GT(withWave.lightness(), without.lightness() + 20)
        << withWave.name().toStdString() << " vs " << without.name().toStdString();
}
