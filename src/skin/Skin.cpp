// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/Skin.h"

#include <algorithm>

#include <cstdio>

Skin::Skin(QObject* parent) : QObject(parent) {}

Skin::~Skin() = default;

void Skin::report(const QString& problem)
{
    m_lastError = problem;
    std::fprintf(stderr, "vessimo: skin: %s\n", qPrintable(problem));
}

bool Skin::LoadSkinFile(const QString& fileName)
{
    try {
        m_document = LoadSkinDocument(fileName);
        m_loaded = true;
        m_lastError.clear();
        return true;
    } catch (const SkinFileError& e) {
        m_document = {};
        m_loaded = false;
        report(QString::fromStdString(e.what()));
        return false;
    }
}

void Skin::SkinWindow(WindowHandle window)
{
    m_windows.try_emplace(window);
}

void Skin::SkinWindowAs(WindowHandle window, const QString& formName)
{
    const auto it = m_windows.find(window);
    if (it == m_windows.end()) {
        report(QStringLiteral("SkinWindowAs on a window not given to SkinWindow"));
        return;
    }
    if (!m_loaded) {
        report(QStringLiteral("no skin loaded; the window \"%1\" stays undressed").arg(formName));
        return;
    }
    const SkinFormDesc* form = m_document.form(formName);
    if (!form) {
        report(QStringLiteral("the skin has no form \"%1\"").arg(formName));
        return;
    }
    m_hovered = m_pressed = nullptr;
    it->second = std::make_unique<SkinnedWindow>(*form);
}

SkinnedWindow* Skin::GetSkinnedWindow(WindowHandle window) const
{
    const auto it = m_windows.find(window);
    return it == m_windows.end() ? nullptr : it->second.get();
}

void Skin::setHovered(WindowHandle window, SkinElement* element)
{
    if (element == m_hovered)
        return;
    QRect area;
    if (m_hovered)
        area = m_hovered->GetBounds().toQRect();
    if (element)
        area = area.united(element->GetBounds().toQRect());
    m_hovered = element;
    emit stateChanged(window, area);
}

void Skin::trackSlider(SkinElement* element, int x)
{
    auto* slider = dynamic_cast<SkinSlider*>(element);
    if (!slider)
        return;
    const int pos = slider->positionAt(x);
    if (pos == slider->GetPosition())
        return;
    slider->SetPosition(pos);
    slider->Redraw();
    emit OnScrollTrack(slider, pos);
}

void Skin::mousePress(WindowHandle window, int x, int y, int button)
{
    const SkinnedWindow* w = GetSkinnedWindow(window);
    if (!w || m_pressed)
        return;
    SkinElement* e = w->elementAt(x, y);
    setHovered(window, e);
    if (!e)
        return;
    m_pressed = e;
    m_pressedButton = button;
    emit stateChanged(window, e->GetBounds().toQRect());
    emit OnMouseDown(e, button, x, y);
    // The handler of the press may have replaced the skin.
    if (m_pressed == e && button == 0)
        trackSlider(e, x);
}

void Skin::mouseMove(WindowHandle window, int x, int y)
{
    const SkinnedWindow* w = GetSkinnedWindow(window);
    if (!w)
        return;
    if (m_pressed) {
        if (m_pressedButton == 0)
            trackSlider(m_pressed, x);
        return;
    }
    setHovered(window, w->elementAt(x, y));
}

void Skin::mouseRelease(WindowHandle window, int x, int y, int button)
{
    const SkinnedWindow* w = GetSkinnedWindow(window);
    SkinElement* e = m_pressed;
    if (!w || !e || button != m_pressedButton)
        return;
    m_pressed = nullptr;
    m_pressedButton = -1;
    emit stateChanged(window, e->GetBounds().toQRect());
    emit OnMouseUp(e, button, x, y);
    if (button == 0 && w->elementAt(x, y) == e)
        emit OnClick(e);
    if (GetSkinnedWindow(window) == w)
        setHovered(window, w->elementAt(x, y));
}

void Skin::mouseLeave(WindowHandle window)
{
    if (!m_pressed)
        setHovered(window, nullptr);
}

void Skin::clickElement(SkinElement* element)
{
    if (element)
        emit OnClick(element);
}

void Skin::moveSlider(SkinSlider* slider, int position)
{
    if (!slider)
        return;
    const int pos = std::clamp(position, 0, slider->range());
    const SkinRect r = slider->GetBounds();
    emit OnMouseDown(slider, 0, r.left, r.top);
    slider->SetPosition(pos);
    slider->Redraw();
    emit OnScrollTrack(slider, pos);
    emit OnMouseUp(slider, 0, r.left, r.top);
}
