// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/SkinnedWindow.h"

SkinnedWindow::SkinnedWindow(const SkinFormDesc& form)
    : m_formName(form.name), m_width(form.width), m_height(form.height),
      m_attributes(form.attributes)
{
    m_elements.reserve(form.elements.size());
    for (const SkinElementDesc& desc : form.elements)
        m_elements.push_back(SkinElement::create(this, desc));
}

SkinnedWindow::~SkinnedWindow() = default;

QString SkinnedWindow::attribute(const QString& key, const QString& fallback) const
{
    return m_attributes.value(key, fallback);
}

SkinObject* SkinnedWindow::FindElement(const QString& name) const
{
    return element(name);
}

SkinElement* SkinnedWindow::element(const QString& name) const
{
    if (name.isEmpty())
        return nullptr;
    for (const auto& e : m_elements) {
        if (e->GetName() == name)
            return e.get();
    }
    return nullptr;
}

SkinElement* SkinnedWindow::elementAt(int x, int y) const
{
    SkinElement* named = nullptr;
    for (auto it = m_elements.rbegin(); it != m_elements.rend(); ++it) {
        SkinElement* e = it->get();
        if (e->GetName().isEmpty() || !e->GetBounds().contains(x, y))
            continue;
        if (e->isInteractive())
            return e;
        if (!named)
            named = e;
    }
    return named;
}
