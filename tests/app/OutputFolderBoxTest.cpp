// SPDX-License-Identifier: GPL-3.0-or-later
// The output folder box applies what is typed into it when it is left or
// Enter is pressed, only when the folder is usable; otherwise it says why and
// shows the output folder again. What it shows is always the output folder.
#include "app/OutputFolderBox.h"
#include "base/IniFile.h"
#include "settings/Options.h"
#include "support/FakeSeams.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <unistd.h>

namespace {

class OutputFolderBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(dir.path()).mkpath("before");
        QDir(dir.path()).mkpath("music");
        options.outputDir = dir.filePath("before") + "/";
        box.attach({[this] { return text; }, [this] { return typed; },
                    [this](const QString& shown) {
                        text = shown;
                        typed = false;
                        shows << shown;
                    }});
    }

    // Types `what` and leaves the box.
    bool type(const QString& what)
    {
        text = what;
        typed = true;
        return box.applyTyped();
    }
    QString stored() const { return ini.readString("Output", "Dir", "<none>"); }

    QTemporaryDir dir;
    IniFile ini{dir.filePath("Vessimo.ini")};
    Options options;
    RecordingPrompts prompts;
    OutputFolderBox box{options, ini, prompts};
    QString text;
    bool typed = false;
    QStringList shows;
};

} // namespace

TEST_F(OutputFolderBoxTest, AnExistingFolderBecomesTheOutputFolder)
{
    EXPECT_TRUE(type(dir.filePath("music")));
    EXPECT_EQ(options.outputDir, dir.filePath("music") + "/");
    EXPECT_EQ(stored(), dir.filePath("music")) << "stored as the chooser stores it";
    EXPECT_EQ(text, options.outputDir) << "the box shows where the pieces go";
    EXPECT_TRUE(prompts.informations.isEmpty());
    EXPECT_TRUE(prompts.questions.isEmpty());

    // The same folder again, written differently, changes nothing.
    EXPECT_FALSE(type(dir.filePath("music") + "//  "));
    EXPECT_EQ(options.outputDir, dir.filePath("music") + "/");
}

TEST_F(OutputFolderBoxTest, NothingTypedNothingApplied)
{
    text = dir.filePath("music");
    typed = false; // set by the program, not typed
    EXPECT_FALSE(box.applyTyped());
    EXPECT_TRUE(shows.isEmpty());
    EXPECT_EQ(options.outputDir, dir.filePath("before") + "/");
}

TEST_F(OutputFolderBoxTest, AMissingFolderIsCreatedOnlyWhenTheUserSaysSo)
{
    const QString wanted = dir.filePath("new/deeper");
    prompts.questionAnswer = false;
    EXPECT_FALSE(type(wanted));
    ASSERT_EQ(prompts.questions.size(), 1);
    EXPECT_TRUE(prompts.questions[0].contains(wanted));
    EXPECT_FALSE(QFileInfo::exists(wanted));
    EXPECT_TRUE(prompts.informations.isEmpty()) << "the user's No needs no explanation";
    EXPECT_EQ(text, dir.filePath("before") + "/") << "the box shows the output folder again";
    EXPECT_EQ(stored(), "<none>");

    prompts.questionAnswer = true;
    EXPECT_TRUE(type(wanted));
    EXPECT_TRUE(QFileInfo(wanted).isDir());
    EXPECT_EQ(options.outputDir, wanted + "/");
    EXPECT_EQ(text, wanted + "/");
}

// Refusals: the reason is named, and the box and the option stay as they were.
TEST_F(OutputFolderBoxTest, UnusableFoldersAreRefusedWithTheReason)
{
    testsupport::writeAll(dir.filePath("a-file"), "x");
    QDir(dir.path()).mkdir("locked");
    QFile::setPermissions(dir.filePath("locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    struct Case {
        QString typed;
        QString reason;
        bool asRoot; // whether the refusal holds for the super-user too
    };
    const QList<Case> cases{
        {dir.filePath("a-file"), "is a file, not a folder", true},
        {"music", "is not a whole path", true},
        {"./music", "is not a whole path", true},
        {dir.filePath("locked"), "cannot be written to", false},
        {dir.filePath("a-file/below"), "cannot be created", true},
    };
    prompts.questionAnswer = true;
    for (const Case& c : cases) {
        if (!c.asRoot && geteuid() == 0)
            continue;
        SCOPED_TRACE(c.typed.toStdString());
        prompts.informations.clear();
        EXPECT_FALSE(type(c.typed));
        ASSERT_EQ(prompts.informations.size(), 1);
        EXPECT_TRUE(prompts.informations[0].contains(c.reason))
            << prompts.informations[0].toStdString();
        EXPECT_TRUE(prompts.informations[0].contains(dir.filePath("before") + "/"))
            << "and names the folder that stays";
        EXPECT_EQ(options.outputDir, dir.filePath("before") + "/");
        EXPECT_EQ(text, options.outputDir);
    }
    QFile::setPermissions(dir.filePath("locked"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(stored(), "<none>");
}

TEST_F(OutputFolderBoxTest, AnEmptiedBoxShowsTheOutputFolderAgain)
{
    EXPECT_FALSE(type("   "));
    EXPECT_TRUE(prompts.informations.isEmpty());
    EXPECT_EQ(text, dir.filePath("before") + "/");
}

TEST_F(OutputFolderBoxTest, TildeStandsForTheHomeFolder)
{
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", dir.path().toUtf8());
    const bool changed = type("~/music");
    qputenv("HOME", home);
    EXPECT_TRUE(changed);
    EXPECT_EQ(options.outputDir, dir.filePath("music") + "/");
}

TEST_F(OutputFolderBoxTest, ARefusedOptionsFileKeepsTheFolderAsItWas)
{
    // A folder where the options file should be refuses every write, also
    // the super-user's.
    QDir(dir.path()).mkdir("Vessimo.ini");
    EXPECT_FALSE(type(dir.filePath("music")));
    ASSERT_EQ(prompts.informations.size(), 1);
    EXPECT_TRUE(prompts.informations[0].contains("Unable to write to"))
        << prompts.informations[0].toStdString();
    EXPECT_EQ(options.outputDir, dir.filePath("before") + "/");
    EXPECT_EQ(text, options.outputDir);
}
