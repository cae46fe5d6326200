// SPDX-License-Identifier: GPL-3.0-or-later
#include "jobs/PieceName.h"

#include <gtest/gtest.h>

TEST(PieceName, NumbersInTwoDigitsAndCleansTheTitle)
{
    const struct {
        int track;
        QString title;
        QString name;
    } cases[] = {
        {1, "One", "01 One"},
        {12, "AC/DC: Live", "12 ACDC Live"},
        {100, "Hundred", "100 Hundred"},
        {3, "  padded\t ", "03 padded"},
        {5, "Mr. Jones", "05 Mr. Jones"},
        {7, "line\nbreak\ttab\x7f", "07 line break tab"},
        {9, "Ärzte – 東京 (live)", "09 Ärzte – 東京 (live)"},
        {0, "No number", "No number"},
        {-1, "<No number>", "No number"},
        {3, "", ""},
        {3, "???", ""},
        {3, " \r\n ", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PieceName(c.track, c.title), c.name) << c.track << " " << c.title.toStdString();
}

TEST(PieceName, LongTitlesAreCutBetweenCharactersToFitAFileName)
{
    const QString twoBytes = PieceName(1, QString(300, QChar(0xE9)));
    EXPECT_EQ(twoBytes, "01 " + QString(118, QChar(0xE9)));
    EXPECT_LE(twoBytes.toUtf8().size(), 240);

    QString faces;
    for (int i = 0; i < 100; ++i)
        faces += QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString fourBytes = PieceName(1, faces);
    EXPECT_EQ(fourBytes.size(), 3 + 2 * 59) << "no surrogate pair is split";
    EXPECT_TRUE(fourBytes.back().isLowSurrogate());

    EXPECT_EQ(PieceName(1, QString(236, 'a') + " bbbb"), "01 " + QString(236, 'a'))
        << "a blank left at the cut is trimmed";
    EXPECT_EQ(PieceName(1, QString(237, 'a')), "01 " + QString(237, 'a')) << "exactly 240 bytes";
}
