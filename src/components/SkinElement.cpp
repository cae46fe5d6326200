#include "components/SkinElement.h"

#include "components/SkinWindow.h"

#include <algorithm>

SkinElement::SkinElement(SkinWindow* window, const SkinElementSpec& spec)
    : m_window(window), m_kind(spec.kind), m_name(spec.name), m_bounds(spec.bounds),
      m_drawnBounds(spec.bounds), m_attributes(spec.attributes)
{
}

std::unique_ptr<SkinElement> SkinElement::create(SkinWindow* window, const SkinElementSpec& spec)
{
    switch (spec.kind) {
    case SkinKind::Slider:
        return std::make_unique<SkinSlider>(window, spec);
    case SkinKind::Text:
        return std::make_unique<SkinTextElement>(window, spec);
    default:
        return std::make_unique<SkinElement>(window, spec);
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

SkinSlider::SkinSlider(SkinWindow* window, const SkinElementSpec& spec) : SkinElement(window, spec)
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

SkinTextElement::SkinTextElement(SkinWindow* window, const SkinElementSpec& spec)
    : SkinElement(window, spec), m_text(spec.attributes.value(QStringLiteral("text")))
{
}
