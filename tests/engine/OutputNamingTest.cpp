// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/OutputNaming.h"

#include "engine/NameTemplate.h"
#include "engine/OutputFormat.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void touch(const QString& path)
{
    testsupport::writeAll(path, "x");
}

TEST(OutputNaming, ExtensionsBaseNamesAndReplacement)
{
    EXPECT_EQ(outputExtension(*outputFormatAt(0)), ".mp3");
    EXPECT_EQ(outputExtension(*outputFormatAt(1)), ".wav");
    EXPECT_EQ(outputExtension(*outputFormatAt(2)), ".wma");
    EXPECT_EQ(outputExtension(*outputFormatAt(3)), ".ogg");
    EXPECT_EQ(outputFormatAt(4), std::nullopt);
    EXPECT_EQ(outputFormatAt(-1), std::nullopt);

    EXPECT_EQ(OutputNaming::BaseName("My.Song.mp3"), "My");
    EXPECT_EQ(OutputNaming::BaseName("Song"), "Song");
    // A name is never hidden: leading dots and blanks go (this once kept the
    // whole caption, ".hidden.mp3").
    EXPECT_EQ(OutputNaming::BaseName(".hidden.mp3"), "hidden");

    EXPECT_EQ(OutputNaming::WithExtension("Song_1", ".mp3"), "Song_1.mp3");
    EXPECT_EQ(OutputNaming::WithExtension("a.b.wav", ".ogg"), "a.b.ogg");
}

TEST(OutputNaming, CustomStartsBareOthersStartNumbered)
{
    QTemporaryDir dir;
    OutputNaming custom(dir.path());
    EXPECT_EQ(custom.choose("Song", {}, ".mp3", false), dir.filePath("Song.mp3"));
    // Names given out in the same job count as taken, though not yet written.
    EXPECT_EQ(custom.choose("Song", {}, ".mp3", false), dir.filePath("Song_1.mp3"));
    EXPECT_EQ(custom.choose("Song", {}, ".mp3", false), dir.filePath("Song_2.mp3"));

    OutputNaming timed(dir.path() + "/");
    EXPECT_EQ(timed.choose("My.Song.mp3", {}, ".wav", true), dir.filePath("My_1.wav"));
    EXPECT_EQ(timed.choose("My.Song.mp3", {}, ".wav", true), dir.filePath("My_2.wav"));

    OutputNaming cleaned(dir.path());
    EXPECT_EQ(cleaned.choose("AC/DC: Live", {}, ".mp3", false), dir.filePath("ACDC Live.mp3"));
}

TEST(OutputNaming, ExistingFilesAreSkippedPastAHundred)
{
    QTemporaryDir dir;
    touch(dir.filePath("Song.mp3"));
    for (int k = 1; k <= 100; ++k)
        touch(dir.filePath(QStringLiteral("Song_%1.mp3").arg(k)));
    OutputNaming naming(dir.path());
    EXPECT_EQ(naming.choose("Song", {}, ".mp3", false), dir.filePath("Song_101.mp3"));
    EXPECT_EQ(naming.choose("Song", {}, ".mp3", true), dir.filePath("Song_102.mp3"));
    // Nothing was written over.
    EXPECT_EQ(testsupport::readAll(dir.filePath("Song_100.mp3")), "x");
}

TEST(OutputNaming, SourcesAndLinksAreNeverChosen)
{
    QTemporaryDir dir;
    // A source in the output folder under the first candidate's name, once
    // deleted (its name must still not be used) and once reached by a link.
    const QString source = dir.filePath("Song.mp3");
    OutputNaming naming(dir.path());
    naming.protect({dir.path() + "/./Song.mp3"});
    EXPECT_EQ(naming.choose("Song", {}, ".mp3", false), dir.filePath("Song_1.mp3"));

    touch(dir.filePath("real.wav"));
    ASSERT_TRUE(QFile::link(dir.filePath("real.wav"), dir.filePath("Track.wav")));
    OutputNaming linked(dir.path());
    EXPECT_EQ(linked.choose("Track", {}, ".wav", false), dir.filePath("Track_1.wav"));
    // A dangling link is a name in use too.
    ASSERT_TRUE(QFile::link(dir.filePath("gone.wav"), dir.filePath("Gone.wav")));
    EXPECT_EQ(linked.choose("Gone", {}, ".wav", false), dir.filePath("Gone_1.wav"));
    EXPECT_FALSE(QFile::exists(source));
}

TEST(OutputNaming, FallbackUsesTheSourceNameAndSearchesOn)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("take.one.wav");
    touch(source);
    OutputNaming naming(dir.path());
    naming.protect({source});
    EXPECT_EQ(naming.fallback(source, ".mp3"), dir.filePath("take.one.mp3"));
    // Same extension as the source, in the source's folder: never the source.
    EXPECT_EQ(naming.fallback(source, ".wav"), dir.filePath("take.one_1.wav"));
    EXPECT_EQ(testsupport::readAll(source), "x");
}

TEST(OutputNaming, ACaptionThatIsAllExtensionStillFindsAFreeName)
{
    QTemporaryDir dir;
    OutputNaming naming(dir.path());
    const QString first = naming.choose(".mp3", {}, ".mp3", false);
    const QString second = naming.choose(".mp3", {}, ".mp3", false);
    EXPECT_NE(first, second);
    // Once "_2.mp3", a hidden name: the caption's dot goes.
    EXPECT_EQ(naming.choose(".mp3", {}, ".mp3", false), dir.filePath("mp3_2.mp3"));
}

TEST(OutputNaming, NamesAreNeverHiddenEmptyOrFullOfControls)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("take one.ogg");
    const struct {
        const char* caption;
        bool numbered;
        const char* name;
    } cases[] = {
        {"...Baby One More Time", false, "Baby One More Time.mp3"},
        {".38 Special Live", true, "38 Special Live_1.mp3"},
        {" . .Song.mp3", false, "Song.mp3"},
        {"?.:Quiet", false, "Quiet.mp3"},
        {"Line\nBreak\x1b[31mRed\x7f", false, "LineBreak[31mRed.mp3"},
        // Nothing left of the caption: the source's name.
        {"...", false, "take one.mp3"},
        {"  ", true, "take one_1.mp3"},
        {"\t*?", false, "take one_2.mp3"},
    };
    OutputNaming naming(dir.path());
    for (const auto& c : cases)
        EXPECT_EQ(naming.choose(QString::fromUtf8(c.caption), source, ".mp3", c.numbered),
                  dir.filePath(c.name))
            << c.caption;
    EXPECT_EQ(naming.choose("...", dir.filePath("..."), ".mp3", false), dir.filePath("audio.mp3"));
    EXPECT_EQ(naming.fallback(dir.filePath(".hidden take.wav"), ".mp3"),
              dir.filePath("hidden take.mp3"));
    EXPECT_EQ(naming.fallback(dir.filePath("tab\there.wav"), ".mp3"), dir.filePath("tabhere.mp3"));
}

TEST(OutputNaming, ReleasedNamesAreFreeAgain)
{
    QTemporaryDir dir;
    OutputNaming naming(dir.path());
    const QString name = naming.choose("Song", {}, ".ogg", true);
    naming.release(name);
    EXPECT_EQ(naming.choose("Song", {}, ".ogg", true), name);
}

TEST(OutputNaming, WholeStemsKeepTheirDotsAndNumberOnWhenTaken)
{
    QTemporaryDir dir;
    touch(dir.filePath("01 Mr. Jones.mp3"));
    OutputNaming naming(dir.path());
    EXPECT_EQ(naming.chooseStem("01 Mr. Jones", ".ogg"), dir.filePath("01 Mr. Jones.ogg"));
    EXPECT_EQ(naming.chooseStem("01 Mr. Jones", ".mp3"), dir.filePath("01 Mr. Jones_1.mp3"));
    EXPECT_EQ(naming.chooseStem("01 Mr. Jones", ".mp3"), dir.filePath("01 Mr. Jones_2.mp3"));
    EXPECT_EQ(naming.chooseStem("concert.2024-05-01", ".wav"),
              dir.filePath("concert.2024-05-01.wav"));
    EXPECT_EQ(testsupport::readAll(dir.filePath("01 Mr. Jones.mp3")), "x");
}

TEST(OutputNaming, NamesFromThePlanAloneIgnoreFilesButNotSourcesOrEarlierPieces)
{
    QTemporaryDir dir;
    touch(dir.filePath("Song.mp3"));
    touch(dir.filePath("take.wav"));
    OutputNaming naming(dir.path());
    naming.ignoreExistingFiles();
    naming.protect({dir.filePath("take.wav")});
    // What another process wrote meanwhile does not move the names on.
    EXPECT_EQ(naming.choose("Song", {}, ".mp3", false), dir.filePath("Song.mp3"));
    EXPECT_EQ(naming.choose("Song", {}, ".mp3", false), dir.filePath("Song_1.mp3"));
    EXPECT_EQ(naming.choose("take", {}, ".wav", false), dir.filePath("take_1.wav"));
}

TEST(NameTemplate, FieldsExpandCleanedAndUnknownOnesAreRefused)
{
    PieceNameFields f;
    f.base = "concert";
    f.title = "AC/DC: Live";
    f.artist = "The Band";
    f.album = "Tour";
    f.source = "concert.2024-05-01";
    f.number = 7;
    f.startMs = 90500;
    f.endMs = 181025;
    const struct {
        const char* text;
        const char* stem;
    } cases[] = {
        {"{n:02} {title}", "07 ACDC Live"},
        {"{source}_{n}", "concert.2024-05-01_7"},
        {"{base}-{start}-{end}", "concert-90.5-181.025"},
        {"{artist} - {album} {n:03}", "The Band - Tour 007"},
        {"{{{n}}}", "{7}"},
        // A field that is empty leaves what is around it; leading dots go.
        {"..{album}", "Tour"},
        {"{title}/{artist}", "ACDC LiveThe Band"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NameTemplate(QString::fromUtf8(c.text)).expand(f), QString::fromUtf8(c.stem))
            << c.text;
    PieceNameFields zero;
    EXPECT_EQ(NameTemplate("{start}-{end}").expand(zero), "0-0");
    EXPECT_EQ(NameTemplate(" {title}").expand(zero), "");

    for (const char* bad : {"{year}", "{n:2}", "{n:00}", "{title", "title}", "plain", "{}"}) {
        try {
            NameTemplate t{QString::fromUtf8(bad)};
            ADD_FAILURE() << bad << " was taken";
        } catch (const NameTemplateError& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains("{n:02}")) << e.what();
        }
    }
}

} // namespace
