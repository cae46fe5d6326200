// SPDX-License-Identifier: GPL-3.0-or-later
// The user guide keeps up with the panel it explains.
#include "skin/SkinFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

class UserGuideTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        html =
            QString::fromUtf8(testsupport::readAll(testsupport::sourceDir() + "/help/index.html"));
        ASSERT_FALSE(html.isEmpty());
        // As a reader sees it: no tags, the entities the page uses resolved.
        text = html;
        text.remove(QRegularExpression("<[^>]*>"));
        for (const auto& [entity, shown] : {std::pair{"&rsaquo;", "›"},
                                            {"&ldquo;", "“"},
                                            {"&rdquo;", "”"},
                                            {"&mdash;", "—"},
                                            {"&ndash;", "–"},
                                            {"&hellip;", "…"},
                                            {"&larr;", "←"},
                                            {"&rarr;", "→"},
                                            {"&nbsp;", "\u00a0"},
                                            {"&amp;", "&"}})
            text.replace(QString::fromUtf8(entity), QString::fromUtf8(shown));
        EXPECT_FALSE(text.contains(QRegularExpression("&[a-z]+;"))) << "an entity left unresolved";
        text = text.simplified();
    }

    bool says(const QString& words) const { return text.contains(words, Qt::CaseInsensitive); }

    QString html;
    QString text;
};

} // namespace

TEST_F(UserGuideTest, ExplainsEveryElementOfThePanelByWhatItShows)
{
    const SkinDocument skin = LoadSkinDocument(testsupport::sourceDir() + "/skin/vessimo.skin");
    const SkinFormDesc* form = skin.form("Vessimo");
    ASSERT_NE(form, nullptr);
    int buttons = 0;
    for (const SkinElementDesc& e : form->elements) {
        if (e.kind != SkinKind::Button)
            continue;
        ++buttons;
        const QString caption = e.attributes.value("text");
        if (!caption.isEmpty()) {
            EXPECT_TRUE(says(caption)) << qPrintable(e.name) << ": " << qPrintable(caption);
        }
        // A hint may end in its key, "(Ctrl+O)"; the guide has its own key table.
        const QString hint = e.attributes.value("hint").section(" (", 0, 0);
        EXPECT_FALSE(hint.isEmpty()) << qPrintable(e.name) << " has no hint";
        EXPECT_TRUE(says(hint)) << qPrintable(e.name) << ": " << qPrintable(hint);
    }
    EXPECT_GE(buttons, 20);
}

TEST_F(UserGuideTest, CoversTheMenusChoicesKeysAndTheCommandLineTool)
{
    for (const char* item : {"Add File", "Add Folder", "Add Path", "Exit", "File Up", "File Down",
                             "ID3 info", "Cutter", "UP", "Content", "HomePage", "About"})
        EXPECT_TRUE(says(item)) << item;
    for (const char* choice : {"Custom", "Split every copy into N seconds",
                               "Averagely split into N copies", "Unification"})
        EXPECT_TRUE(says(choice)) << choice;
    for (const char* page : {"General", "VBR", "Filtering", "Expert", "Presets", "Command Line",
                             "WAV", "WMA", "OGG", "Fades", "Tag editor", "Reset", "All"})
        EXPECT_TRUE(says(page)) << page;
    for (const char* key : {"Space", "Ctrl+O", "Delete", "Enter", "Tab"})
        EXPECT_TRUE(says(key)) << key;
    for (const char* command : {"probe", "tags", "plan", "cut", "join"})
        EXPECT_TRUE(says(QString("vessimo-cli %1 ").arg(command))) << command << " with an example";
}

TEST_F(UserGuideTest, EveryLinkWithinThePageHasItsTarget)
{
    const QRegularExpression link("href=\"#([^\"]+)\"");
    int links = 0;
    for (auto it = link.globalMatch(html); it.hasNext(); ++links) {
        const QString target = it.next().captured(1);
        EXPECT_TRUE(html.contains(QString("id=\"%1\"").arg(target))) << qPrintable(target);
    }
    EXPECT_GE(links, 10);
}
