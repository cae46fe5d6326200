// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/SkinFile.h"
#include "support/ChildChecks.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace {

QString errorOf(const QString& text)
{
    try {
        ParseSkin(text);
    } catch (const SkinFileError& e) {
        return QString::fromStdString(e.what());
    }
    return {};
}

} // namespace

TEST(SkinFileTest, ReadsFormsElementsAttributesAndNamedColours)
{
    const SkinDocument doc = ParseSkin(QStringLiteral(R"(vessimo-skin 1
# comment
title "Test skin"
colour accent #3aa0ff
form Main 200 100 fill=#101010
  panel - 0 0 200 20 fill=@accent
  button play 10 30 24 20 text="Play now" hint="say \"hi\"" icon=play
  slider pb 0 60 200 14
  text time 0 80 50 12 text=00:00:00
end
form Other 10 10
end
)"));
    EXPECT_EQ(doc.title, "Test skin");
    ASSERT_EQ(doc.forms.size(), 2);
    const SkinFormDesc* main = doc.form("Main");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->width, 200);
    EXPECT_EQ(main->height, 100);
    EXPECT_EQ(main->attributes.value("fill"), "#101010");
    ASSERT_EQ(main->elements.size(), 4);

    const SkinElementDesc& panel = main->elements[0];
    EXPECT_EQ(panel.kind, SkinKind::Panel);
    EXPECT_TRUE(panel.name.isEmpty());
    EXPECT_EQ(panel.attributes.value("fill"), "#3aa0ff");

    const SkinElementDesc& play = main->elements[1];
    EXPECT_EQ(play.kind, SkinKind::Button);
    EXPECT_EQ(play.name, "play");
    EXPECT_EQ(play.bounds, (SkinRect{10, 30, 34, 50}));
    EXPECT_EQ(play.attributes.value("text"), "Play now");
    EXPECT_EQ(play.attributes.value("hint"), "say \"hi\"");

    EXPECT_EQ(main->elements[2].kind, SkinKind::Slider);
    EXPECT_EQ(main->elements[3].kind, SkinKind::Text);
    EXPECT_EQ(main->elements[3].attributes.value("text"), "00:00:00");

    EXPECT_EQ(doc.form("main"), nullptr) << "form names compare exactly";
}

TEST(SkinFileTest, BrokenFilesNameTheLineAndTheProblem)
{
    const QString header = "vessimo-skin 1\n";
    EXPECT_TRUE(errorOf("").contains("empty skin file"));
    EXPECT_TRUE(errorOf("MZ\n").contains("line 1: not a Vessimo skin"));
    EXPECT_TRUE(errorOf("vessimo-skin 2\n").contains("not a Vessimo skin"));
    EXPECT_TRUE(errorOf(header + "form A 10 10\nknob x 0 0 1 1\nend\n")
                    .contains("line 3: unknown statement: knob"));
    EXPECT_TRUE(errorOf(header + "button x 0 0 1 1\n").contains("line 2: element outside a form"));
    EXPECT_TRUE(errorOf(header + "form A 10 10\nbutton x 0 0 1 1 fill=@nope\nend\n")
                    .contains("line 3: unknown colour: @nope"));
    EXPECT_TRUE(errorOf(header + "form A 10 10\nbutton x 0 0 1 1\nbutton x 2 2 1 1\nend\n")
                    .contains("line 4: element x defined twice"));
    EXPECT_TRUE(errorOf(header + "form A 10 10\nbutton x 0 zero 1 1\nend\n")
                    .contains("line 3: y is not a number: zero"));
    EXPECT_TRUE(
        errorOf(header + "form A 10 10\nbutton x 0 0 -1 1\nend\n").contains("negative size"));
    // Positions and sizes whose sums would not fit an int.
    EXPECT_TRUE(errorOf(header + "form A 10 10\nbutton x 2147483647 0 1 1\nend\n")
                    .contains("line 3: x must lie between -65536 and 65536: 2147483647"));
    EXPECT_TRUE(errorOf(header + "form A 10 10\nbar x 0 -2147483648 1 1\nend\n")
                    .contains("line 3: y must lie between -65536 and 65536: -2147483648"));
    EXPECT_TRUE(errorOf(header + "form A 10 10\nslider x 65536 0 65537 1\nend\n")
                    .contains("line 3: width must lie between -65536 and 65536: 65537"));
    EXPECT_TRUE(errorOf(header + "form A 10 2147483647\nend\n")
                    .contains("line 2: height must lie between -65536 and 65536"));
    EXPECT_EQ(ParseSkin(header + "form A 65536 1\nlabel - -65536 65536 65536 65536\nend\n")
                  .forms[0]
                  .elements[0]
                  .bounds,
              (SkinRect{-65536, 65536, 0, 131072}))
        << "the limits themselves are taken";
    EXPECT_TRUE(errorOf(header + "form A 10 10\nlabel - 0 0 1 1 text=\"open\nend\n")
                    .contains("line 3: unterminated quote"));
    EXPECT_TRUE(errorOf(header + "form A 10 10\nbutton x 0 0 1 1\n").contains("not closed"));
    EXPECT_TRUE(
        errorOf(header + "form A 10 10\nend\nform A 5 5\nend\n").contains("form A defined twice"));
    EXPECT_TRUE(errorOf(header + "colour x red\n").contains("expected: colour"));
    EXPECT_TRUE(errorOf(header + "form A 10 10\nbutton x 0 0 1 1 text\nend\n")
                    .contains("expected key=value"));
}

TEST(SkinFileTest, LoadingAMissingFileNamesIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("mp3enc.dll");
    try {
        LoadSkinDocument(path);
        FAIL() << "a missing file must not load";
    } catch (const SkinFileError& e) {
        EXPECT_TRUE(QString::fromStdString(e.what()).contains(path));
    }
}

TEST(SkinFileTest, AFifoOrADeviceIsNoSkinFile)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("mp3enc.dll");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    testsupport::withinBounds([&] {
        for (const QString& path : {fifo, QStringLiteral("/dev/zero")}) {
            try {
                LoadSkinDocument(path);
                return false;
            } catch (const SkinFileError& e) {
                if (QString::fromStdString(e.what()) !=
                    "cannot open " + path + ": it is not a regular file")
                    return false;
            }
        }
        return true;
    });
}
