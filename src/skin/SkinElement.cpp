// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/SkinElement.h"

#include "skin/SkinnedWindow.h"

#include <algorithm>

SkinElement::SkinElement(SkinnedWindow* window, const SkinElementDesc& desc)
    : m_window(window), m_kind(desc.kind), m_name(desc.name), m_bounds(desc.bounds),
      m_designBounds(desc.bounds), m_drawnBounds(desc.bounds), m_attributes(desc.attributes)
{
}

std::unique_ptr<SkinElement> SkinElement::create(SkinnedWindow* window, const SkinElementDesc& desc)
{
    switch (desc.kind) {
    case SkinKind::Slider:
        return std::make_unique<SkinSlider>(window, desc);
    case SkinKind::Text:
        return std::make_unique<SkinTextElement>(window, desc);
    default:
        return std::make_unique<SkinElement>(window, desc);
    }
}

QString SkinElement::attribute(const QString& key, const QString& fallback) const
{
    return m_attributes.value(key, fallback);
}

int SkinElement::intAttribute(const QString& key, int fallback) const
{
    bool ok = false;
    const int v = m_attributes.value(key).toInt(&ok);
    return ok ? v : fallback;
}

void SkinElement::Redraw()
{
    if (m_window) {
        const QRect area = m_drawnBounds.toQRect().united(m_bounds.toQRect());
        emit m_window->redrawRequested(area);
    }
    m_drawnBounds = m_bounds;
}

SkinSlider::SkinSlider(SkinnedWindow* window, const SkinElementDesc& desc)
    : SkinElement(window, desc)
{
}

int SkinSlider::thumbPixels() const
{
    return std::min(GetBounds().height(), GetBounds().width());
}

int SkinSlider::positionAt(int x) const
{
    const SkinRect b = GetBounds();
    const int travel = b.width() - thumbPixels();
    if (travel <= 0 || range() == 0)
        return 0;
    const int offset = std::clamp(x - b.left - thumbPixels() / 2, 0, travel);
    return static_cast<int>((static_cast<qint64>(offset) * range() + travel / 2) / travel);
}

int SkinSlider::thumbCentre() const
{
    const SkinRect b = GetBounds();
    const int travel = std::max(0, b.width() - thumbPixels());
    const int pos = std::clamp(m_position, 0, range());
    const int offset =
        range() == 0 ? 0 : static_cast<int>(static_cast<qint64>(pos) * travel / range());
    return b.left + thumbPixels() / 2 + offset;
}

SkinTextElement::SkinTextElement(SkinnedWindow* window, const SkinElementDesc& desc)
    : SkinElement(window, desc), m_text(desc.attributes.value(QStringLiteral("text")))
{
}
