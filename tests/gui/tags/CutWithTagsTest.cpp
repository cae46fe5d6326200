#include "engine/JobSessionFixture.h"
#include "gui/tags/Tfm_id3.h"
#include "settings/ConfigureEncoder.h"
#include "tags/TagEditorModel.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

// Cuts run by the session after the tag editor was used.
class CutWithTags : public enginetest::JobSessionTest {
protected:
    void SetUp() override
    {
        JobSessionTest::SetUp();
        enginetest::makeSource(src("song.mp3"), 2, 44100, 2,
                               {"-c:a", "libmp3lame", "-metadata", "title=Old Title", "-metadata",
                                "artist=Old Artist"});
        add({src("song.mp3")});
        dialog = std::make_unique<Tfm_id3>(session->tagEditor(), session->tagRecords(), prompts,
                                           nullptr);
    }

    void retype(const char* name, const QString& text)
    {
        auto* edit = dialog->findChild<QLineEdit*>(QLatin1String(name));
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        edit->selectAll();
        edit->insert(text);
    }

    std::unique_ptr<Tfm_id3> dialog;
};

} // namespace

TEST_F(CutWithTags, ATitleEditedInTheTagEditorIsInTheCutPieces)
{
    ASSERT_EQ(session->jobs().list().caption(0), "Old Title");
    dialog->show();
    retype("edt_tatal", "Neuer Titel ✓");
    retype("edt_year", "1999");
    QTest::mouseClick(dialog->findChild<QPushButton*>("btn_ok"), Qt::LeftButton);
    ASSERT_FALSE(dialog->isVisible());
    EXPECT_EQ(session->jobs().list().caption(0), "Neuer Titel ✓");

    for (int format : {settings::FormatMp3, settings::FormatOgg}) {
        const QStringList before = outputs();
        setFormat(format);
        ASSERT_TRUE(session->cutCommand());
        QStringList added = outputs();
        for (const QString& name : before)
            added.removeAll(name);
        ASSERT_EQ(added.size(), 1) << "format " << format;
        const QString piece = out(added.first());
        EXPECT_TRUE(added.first().startsWith("Neuer Titel ✓")) << added.first().toStdString();
        EXPECT_EQ(testsupport::probeTag(piece, "title"), "Neuer Titel ✓") << piece.toStdString();
        EXPECT_EQ(testsupport::probeTag(piece, "artist"), "Old Artist");
    }
    expectSourcesUnchanged();
}
