// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FrontPanel.h"

#include "base/TimeCode.h"

#include <cstdio>

FrontPanel::FrontPanel()
{
    // Until the skin is set up the panel consists of stand-ins only.
    lookUpElements(nullptr);
}

FrontPanel::~FrontPanel() = default;

SkinElement* FrontPanel::lookUp(SkinnedWindow* window, const QString& name, SkinKind kind)
{
    SkinObject* found = window ? window->FindElement(name) : nullptr;
    auto* element = dynamic_cast<SkinElement*>(found);
    if (element && element->kind() == kind)
        return element;
    if (window) {
        std::fprintf(stderr, "vessimo: skin: the form \"%s\" lacks the element \"%s\"\n",
                     qPrintable(window->formName()), qPrintable(name));
    }
    SkinElementDesc desc;
    desc.kind = kind;
    desc.name = name;
    m_standIns.push_back(SkinElement::create(nullptr, desc));
    return m_standIns.back().get();
}

FrontPanel::TextElement FrontPanel::lookUpText(SkinnedWindow* window, const QString& name)
{
    SkinElement* e = lookUp(window, name, SkinKind::Text);
    return {dynamic_cast<SkinText*>(e), e};
}

void FrontPanel::SetupFrontPanel(Skin& skin, Skin::WindowHandle window, const QString& skinFile)
{
    skin.LoadSkinFile(skinFile);
    skin.SkinWindow(window);
    skin.SkinWindowAs(window, QStringLiteral("Vessimo"));
    lookUpElements(skin.GetSkinnedWindow(window));

    m_barRect = m_convertpb->GetBounds();

    m_pbScroller->SetPosition(0);
    m_pbFrame->Redraw();

    SkinRect empty = m_barRect;
    empty.right = empty.left;
    m_convertpb->SetBounds(empty);
    m_convertpb->Redraw();

    m_pbpos.text->SetText(QString());
    m_pbpos.frame->Redraw();

    m_tataltime.text->SetText(QStringLiteral("00:00:00"));
    m_tataltime.frame->Redraw();
}

void FrontPanel::lookUpElements(SkinnedWindow* skinned)
{
    m_standIns.clear();
    SkinElement* pb = lookUp(skinned, QStringLiteral("pb"), SkinKind::Slider);
    m_pbScroller = dynamic_cast<SkinScroller*>(pb);
    m_pbFrame = pb;
    m_timecaption = lookUpText(skinned, QStringLiteral("timecaption"));
    m_tataltime = lookUpText(skinned, QStringLiteral("tataltime"));
    m_pbpos = lookUpText(skinned, QStringLiteral("pbpos"));
    m_convertpb = lookUp(skinned, QStringLiteral("convertpb"), SkinKind::Bar);
}

void FrontPanel::SetConversionBar(int progress, bool wide)
{
    // A finished segment shows an empty bar.
    if (progress == 10000)
        progress = 0;
    int width;
    if (wide) {
        width = timecode::Scale(progress, 501, 10000);
    } else {
        width = timecode::Scale(progress, 454, 10000);
        if (width > 454)
            return;
    }
    m_barRect.right = m_barRect.left + width;
    m_convertpb->SetBounds(m_barRect);
    m_convertpb->Redraw();
}
