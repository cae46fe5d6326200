// SPDX-License-Identifier: GPL-3.0-or-later
// The front panel's colours meet WCAG 2 level AA: 4.5:1 for text, 3:1 for
// icons, outlines and tracks, in the normal and in the hovered look, computed
// from the skin file the program ships.
#include "skin/SkinFile.h"
#include "skin/SkinPalette.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QColor>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kText = 4.5;
constexpr double kGraphic = 3.0;

double channel(double c)
{
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c)
{
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor over(const QColor& top, const QColor& below)
{
    const double a = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * a + below.redF() * (1 - a)),
                            float(top.greenF() * a + below.greenF() * (1 - a)),
                            float(top.blueF() * a + below.blueF() * (1 - a)));
}

QColor colour(const SkinElementDesc& e, const QString& key, const QColor& fallback = {})
{
    const QString value = e.attributes.value(key);
    return value.isEmpty() ? fallback : QColor::fromString(value);
}

bool inside(const SkinRect& inner, const SkinRect& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

class SkinContrastTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        document = LoadSkinDocument(testsupport::sourceDir() + "/skin/vessimo.skin");
        form = document.form("Vessimo");
        ASSERT_NE(form, nullptr);
    }

    const SkinElementDesc& element(const QString& name) const
    {
        for (const SkinElementDesc& e : form->elements)
            if (e.name == name)
                return e;
        ADD_FAILURE() << "no element " << qPrintable(name);
        return form->elements.first();
    }

    // What lies behind an element: the topmost panel painted before it that
    // covers it (both ends of a gradient), else the form's fill.
    QList<QColor> backdrop(const SkinElementDesc& e) const
    {
        const QColor base = QColor::fromString(form->attributes.value("fill"));
        const qsizetype index = &e - form->elements.constData();
        for (qsizetype i = index - 1; i >= 0; --i) {
            const SkinElementDesc& p = form->elements[i];
            const QColor fill = colour(p, "fill", Qt::transparent);
            if (p.kind != SkinKind::Panel || fill.alpha() == 0 || !inside(e.bounds, p.bounds))
                continue;
            QList<QColor> out{over(fill, base)};
            if (p.attributes.contains("fill2"))
                out << over(colour(p, "fill2"), base);
            return out;
        }
        return {base};
    }

    // The faces a button shows at rest and under the mouse, as the painter
    // shades them (a slightly lighter top), over what lies behind.
    struct Look {
        QString state;
        QList<QColor> faces;
        QColor ink;
    };
    QList<Look> looks(const SkinElementDesc& e) const
    {
        const QColor fill = colour(e, "fill", Qt::transparent);
        const QColor hover = colour(e, "hover", fill.lighter(125));
        const QColor ink = colour(e, "ink", QColor(0xe6, 0xec, 0xf5));
        QList<Look> out;
        for (const auto& [state, face, stateInk] :
             {std::tuple{QString("normal"), fill, ink},
              std::tuple{QString("hover"), hover, colour(e, "inkhover", ink)}}) {
            Look look{state, {}, stateInk};
            for (const QColor& behind : backdrop(e)) {
                look.faces << over(face, behind);
                if (face.alpha() != 0)
                    look.faces << over(face.lighter(108), behind);
            }
            out << look;
        }
        return out;
    }

    SkinDocument document;
    const SkinFormDesc* form = nullptr;
};

} // namespace

TEST_F(SkinContrastTest, ButtonTextAndIconsStandOutFromTheirFaces)
{
    int checked = 0;
    for (const SkinElementDesc& e : form->elements) {
        if (e.kind != SkinKind::Button)
            continue;
        const bool text = !e.attributes.value("text").isEmpty();
        const double needed = text ? kText : kGraphic;
        for (const Look& look : looks(e)) {
            for (const QColor& face : look.faces) {
                EXPECT_GE(contrast(look.ink, face), needed)
                    << qPrintable(e.name) << " " << qPrintable(look.state) << ": "
                    << qPrintable(look.ink.name()) << " on " << qPrintable(face.name());
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 40);
}

TEST_F(SkinContrastTest, TheJobButtonsAndPlayKeepWhiteTextOnHover)
{
    // Named on their own, so that a skin that drops their colours fails here.
    for (const QString name : {"Split", "Join", "Stop", "play"}) {
        const SkinElementDesc& e = element(name);
        for (const Look& look : looks(e))
            for (const QColor& face : look.faces)
                EXPECT_GE(contrast(look.ink, face), kText)
                    << qPrintable(name) << " " << qPrintable(look.state);
    }
}

TEST_F(SkinContrastTest, OutlinesAndTracksStandOutFromThePanel)
{
    int outlines = 0;
    for (const SkinElementDesc& e : form->elements) {
        if (e.kind != SkinKind::Button || !e.attributes.contains("border"))
            continue;
        for (const QColor& behind : backdrop(e))
            EXPECT_GE(contrast(colour(e, "border"), behind), kGraphic) << qPrintable(e.name);
        ++outlines;
    }
    EXPECT_GE(outlines, 12) << "the tool buttons are outlined";

    const SkinElementDesc& slider = element("pb");
    for (const QColor& behind : backdrop(slider)) {
        EXPECT_GE(contrast(colour(slider, "track"), behind), kGraphic) << "slider groove";
        EXPECT_GE(contrast(colour(slider, "fill"), behind), kGraphic) << "played part";
        EXPECT_GE(contrast(colour(slider, "ring"), behind), kGraphic) << "thumb ring";
    }

    // The conversion bar runs over a panel of its own size: its track.
    const SkinElementDesc& bar = element("convertpb");
    const qsizetype index = &bar - form->elements.constData();
    ASSERT_GT(index, 0);
    const SkinElementDesc& track = form->elements[index - 1];
    ASSERT_EQ(track.bounds, bar.bounds);
    for (const QColor& behind : backdrop(track)) {
        EXPECT_GE(contrast(colour(track, "fill"), behind), kGraphic) << "conversion track";
        EXPECT_GE(contrast(colour(bar, "fill"), behind), kGraphic) << "conversion bar";
        EXPECT_GE(contrast(colour(bar, "fill2"), behind), kGraphic) << "conversion bar's end";
    }
}

TEST_F(SkinContrastTest, CaptionsAreReadable)
{
    int captions = 0;
    for (const SkinElementDesc& e : form->elements) {
        if ((e.kind != SkinKind::Label && e.kind != SkinKind::Text) ||
            e.attributes.value("text").isEmpty())
            continue;
        const QColor ink = colour(e, "ink", QColor(0xe6, 0xec, 0xf5));
        for (const QColor& behind : backdrop(e))
            EXPECT_GE(contrast(ink, behind), kText) << qPrintable(e.attributes.value("text"));
        ++captions;
    }
    EXPECT_GE(captions, 6);
}

// The dialogs, menus, message boxes and file dialogs take their colours from
// the skin: their text meets AA on every background it is drawn on, and
// outlines 3:1, so that the whole program reads as one.
TEST_F(SkinContrastTest, TheDialogsPaletteFromTheSkinIsReadable)
{
    const SkinPalette p = PaletteOf(document);
    const auto c = [](const QString& name) { return QColor::fromString(name); };
    const struct {
        const char* what;
        QString ink;
        QString behind;
        double needed;
    } pairs[] = {
        {"label on dialog", p.windowText, p.window, kText},
        {"text in a box", p.text, p.base, kText},
        {"text on an alternate row", p.text, p.alternateBase, kText},
        {"hint in an empty box", p.placeholder, p.base, kText},
        {"button caption", p.buttonText, p.button, kText},
        {"selected text, focused menu item", p.highlightedText, p.highlight, kText},
        {"link on dialog", p.link, p.window, kText},
        {"link in a box", p.link, p.base, kText},
        {"tooltip", p.toolTipText, p.toolTipBase, kText},
        {"outline on dialog", p.border, p.window, kGraphic},
        {"outline on a box", p.border, p.base, kGraphic},
        // Greyed-out controls need not meet AA, but still show.
        {"disabled text", p.disabledText, p.window, 2.0},
    };
    for (const auto& pair : pairs) {
        ASSERT_TRUE(c(pair.ink).isValid() && c(pair.behind).isValid()) << pair.what;
        EXPECT_GE(contrast(c(pair.ink), c(pair.behind)), pair.needed)
            << pair.what << ": " << qPrintable(pair.ink) << " on " << qPrintable(pair.behind);
    }
    // Taken from the skin, not fixed: the panel's own colours.
    EXPECT_EQ(p.window, document.colours.value("panel"));
    EXPECT_EQ(p.windowText, document.colours.value("ink"));
    // A dark skin gives dark dialogs: no light default areas beside the panel.
    EXPECT_LT(luminance(c(p.window)), 0.1);
    EXPECT_LT(luminance(c(p.base)), 0.1);
    EXPECT_LT(luminance(c(p.button)), 0.1);
}
