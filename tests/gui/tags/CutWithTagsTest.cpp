// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/JobSessionFixture.h"
#include "gui/tags/Tfm_id3.h"
#include "settings/ConfigureEncoder.h"
#include "tags/TagEditorModel.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
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
                                "artist=Old Artist", "-metadata", "date=1987", "-metadata",
                                "comment=Old comment"});
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

TEST_F(CutWithTags, TheSourcesYearAndATypedCommentReachEveryFormatThatHoldsTags)
{
    dialog->show();
    // The year comes from the source.
    EXPECT_EQ(dialog->findChild<QLineEdit*>("edt_year")->text(), "1987");
    auto* comment = dialog->findChild<QPlainTextEdit*>("edt_com");
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->toPlainText(), "Old comment");
    const QString typed = QString::fromUtf8("Live im Studio ✓ ") + QString(300, 'x');
    comment->setFocus();
    comment->selectAll();
    comment->insertPlainText(typed);
    QTest::mouseClick(dialog->findChild<QPushButton*>("btn_ok"), Qt::LeftButton);
    ASSERT_FALSE(dialog->isVisible());

    const struct {
        int format;
        const char* suffix;
        const char* yearKey;
    } formats[] = {{settings::FormatMp3, ".mp3", "date"},
                   {settings::FormatOgg, ".ogg", "date"},
                   {settings::FormatWma, ".wma", "WM/Year"}};
    for (const auto& f : formats) {
        setFormat(f.format);
        ASSERT_TRUE(session->cutCommand());
        const QString piece = out(QString("Old Title") + f.suffix);
        ASSERT_TRUE(QFile::exists(piece)) << outputs().join(' ').toStdString();
        EXPECT_EQ(enginetest::probeTag(piece, "comment"), typed) << f.suffix;
        EXPECT_EQ(enginetest::probeTag(piece, f.yearKey), "1987") << f.suffix;
        EXPECT_EQ(enginetest::probeTag(piece, "artist"), "Old Artist") << f.suffix;
    }
    expectSourcesUnchanged();
}
