// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/skin/SkinAccessible.h"

#include "gui/skin/SkinView.h"
#include "skin/Skin.h"

#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

QString attr(const SkinElement& e, const char* key)
{
    return e.attribute(QString::fromLatin1(key));
}

// One element of the panel. It holds no widget of its own; the panel's
// interface owns it and keeps it while the window it belongs to lives.
class SkinElementAccessible : public QAccessibleInterface,
                              public QAccessibleActionInterface,
                              public QAccessibleValueInterface,
                              public QAccessibleTextInterface {
public:
    SkinElementAccessible(SkinViewAccessible* parent, SkinElement* element)
        : m_parent(parent), m_element(element), m_fullWidth(element->designBounds().width())
    {
    }

    SkinElement* element() const { return m_element; }

    bool isValid() const override { return m_parent->view() != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_parent->window(); }
    QAccessibleInterface* parent() const override { return m_parent; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return SkinAccessibleName(*m_element);
        case QAccessible::Description:
            return attr(*m_element, "hint");
        case QAccessible::Value:
            return role() == QAccessible::StaticText ? textValue() : QString();
        case QAccessible::Accelerator:
            return attr(*m_element, "key");
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        SkinView* view = m_parent->view();
        if (!view)
            return {};
        const QRect r = m_element->GetBounds().toQRect();
        return QRect(view->mapToGlobal(r.topLeft()), r.size());
    }

    QAccessible::Role role() const override
    {
        switch (m_element->kind()) {
        case SkinKind::Button:
            return QAccessible::Button;
        case SkinKind::Slider:
            return QAccessible::Slider;
        case SkinKind::Bar:
            return QAccessible::ProgressBar;
        default:
            return QAccessible::StaticText;
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        SkinView* view = m_parent->view();
        if (!view || !view->isVisible())
            s.invisible = true;
        if (m_element->isInteractive()) {
            s.focusable = true;
            s.focused = view && view->hasFocus() && view->focusedElement() == m_element;
        }
        if (role() == QAccessible::Button && view && view->skin() &&
            view->skin()->pressed() == m_element)
            s.pressed = true;
        if (role() == QAccessible::StaticText || role() == QAccessible::ProgressBar)
            s.readOnly = true;
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        switch (type) {
        case QAccessible::ActionInterface:
            return m_element->isInteractive() ? static_cast<QAccessibleActionInterface*>(this)
                                              : nullptr;
        case QAccessible::ValueInterface:
            return role() == QAccessible::Slider || role() == QAccessible::ProgressBar
                       ? static_cast<QAccessibleValueInterface*>(this)
                       : nullptr;
        case QAccessible::TextInterface:
            return role() == QAccessible::StaticText ? static_cast<QAccessibleTextInterface*>(this)
                                                     : nullptr;
        default:
            return nullptr;
        }
    }

    // Actions.
    QStringList actionNames() const override
    {
        if (role() == QAccessible::Button)
            return {pressAction()};
        if (role() == QAccessible::Slider)
            return {setFocusAction()};
        return {};
    }
    void doAction(const QString& name) override
    {
        SkinView* view = m_parent->view();
        if (!view)
            return;
        if (name == setFocusAction()) {
            view->setFocus(Qt::OtherFocusReason);
            view->setFocusedElement(m_element);
            return;
        }
        if (name != pressAction() || role() != QAccessible::Button)
            return;
        // Queued: a command may open a modal dialog or run a whole job, and
        // the caller must not wait for it.
        QPointer<Skin> skin = view->skin();
        QPointer<SkinView> guard = view;
        SkinElement* element = m_element;
        QTimer::singleShot(0, view, [skin, guard, element] {
            if (skin && guard)
                skin->clickElement(element);
        });
    }
    QStringList keyBindingsForAction(const QString& name) const override
    {
        const QString key = attr(*m_element, "key");
        if (key.isEmpty() || name != pressAction())
            return {};
        return {key};
    }

    // Values: the slider's position; the conversion bar's filled share in percent.
    QVariant currentValue() const override
    {
        if (auto* slider = dynamic_cast<SkinSlider*>(m_element))
            return slider->GetPosition();
        if (m_fullWidth <= 0)
            return 0;
        const double share = 100.0 * m_element->GetBounds().width() / m_fullWidth;
        return std::clamp(static_cast<int>(std::lround(share)), 0, 100);
    }
    void setCurrentValue(const QVariant& value) override
    {
        auto* slider = dynamic_cast<SkinSlider*>(m_element);
        SkinView* view = m_parent->view();
        if (!slider || !view || !view->skin())
            return;
        view->skin()->moveSlider(slider, value.toInt());
    }
    QVariant maximumValue() const override
    {
        // The last position the thumb reaches, which is what the panel's
        // times are scaled to; without a file the thumb has no size and it
        // is the maximum.
        if (auto* slider = dynamic_cast<SkinSlider*>(m_element))
            return slider->range() > 0 ? slider->range() : slider->GetMax();
        return 100;
    }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

    // Text: what a display element shows, "" when empty.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override
    {
        return textValue().mid(start, end < 0 ? -1 : end - start);
    }
    QString textBeforeOffset(int, QAccessible::TextBoundaryType, int* start,
                             int* end) const override
    {
        *start = *end = -1;
        return {};
    }
    QString textAfterOffset(int, QAccessible::TextBoundaryType, int* start, int* end) const override
    {
        *start = *end = -1;
        return {};
    }
    QString textAtOffset(int, QAccessible::TextBoundaryType, int* start, int* end) const override
    {
        // A display holds one short line: every boundary gives all of it.
        const QString all = textValue();
        *start = 0;
        *end = static_cast<int>(all.size());
        return all;
    }
    int characterCount() const override { return static_cast<int>(textValue().size()); }
    QRect characterRect(int) const override { return rect(); }
    int offsetAtPoint(const QPoint&) const override { return 0; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    QString textValue() const
    {
        if (auto* t = dynamic_cast<SkinText*>(m_element))
            return t->GetText();
        return {};
    }

    SkinViewAccessible* m_parent;
    SkinElement* m_element;
    int m_fullWidth;
};

bool isAccessibleElement(const SkinElement& e)
{
    if (e.GetName().isEmpty())
        return false;
    switch (e.kind()) {
    case SkinKind::Button:
    case SkinKind::Slider:
    case SkinKind::Text:
    case SkinKind::Bar:
        return true;
    default:
        return false;
    }
}

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("SkinView")) {
        if (auto* view = qobject_cast<SkinView*>(object))
            return new SkinViewAccessible(view);
    }
    return nullptr;
}

} // namespace

QString SkinAccessibleName(const SkinElement& element)
{
    for (const char* key : {"label", "text", "hint"}) {
        const QString value = attr(element, key);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

void InstallSkinAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(factory);
}

SkinViewAccessible::SkinViewAccessible(SkinView* view)
    : QAccessibleWidget(view, QAccessible::Pane, QStringLiteral("Front panel"))
{
    QObject::connect(view, &SkinView::focusedElementChanged, view, [this](SkinElement* element) {
        QAccessibleInterface* child = childFor(element);
        SkinView* v = this->view();
        if (child && v && v->hasFocus()) {
            QAccessibleEvent event(child, QAccessible::Focus);
            QAccessible::updateAccessibility(&event);
        }
    });
}

SkinViewAccessible::~SkinViewAccessible()
{
    clearChildren();
}

SkinView* SkinViewAccessible::view() const
{
    return qobject_cast<SkinView*>(object());
}

void SkinViewAccessible::clearChildren() const
{
    for (QAccessibleInterface* child : m_children)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(child));
    m_children.clear();
}

void SkinViewAccessible::sync() const
{
    SkinView* v = view();
    SkinnedWindow* w = v ? v->skinnedWindow() : nullptr;
    if (w == m_window && (w || m_children.empty()))
        return;
    clearChildren();
    m_window = w;
    if (!w)
        return;
    for (const auto& e : w->elements()) {
        if (!isAccessibleElement(*e))
            continue;
        auto* child = new SkinElementAccessible(const_cast<SkinViewAccessible*>(this), e.get());
        QAccessible::registerAccessibleInterface(child);
        m_children.push_back(child);
    }
}

int SkinViewAccessible::childCount() const
{
    sync();
    return static_cast<int>(m_children.size());
}

QAccessibleInterface* SkinViewAccessible::child(int index) const
{
    sync();
    if (index < 0 || index >= static_cast<int>(m_children.size()))
        return nullptr;
    return m_children[static_cast<size_t>(index)];
}

int SkinViewAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    sync();
    const auto it = std::find(m_children.begin(), m_children.end(), child);
    return it == m_children.end() ? -1 : static_cast<int>(it - m_children.begin());
}

QAccessibleInterface* SkinViewAccessible::childAt(int x, int y) const
{
    sync();
    // Topmost first: later elements lie on top.
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it)
        if ((*it)->rect().contains(x, y))
            return *it;
    return nullptr;
}

QAccessibleInterface* SkinViewAccessible::focusChild() const
{
    SkinView* v = view();
    return v && v->hasFocus() ? childFor(v->focusedElement()) : nullptr;
}

QAccessibleInterface* SkinViewAccessible::childFor(const SkinElement* element) const
{
    sync();
    for (QAccessibleInterface* child : m_children)
        if (static_cast<SkinElementAccessible*>(child)->element() == element)
            return child;
    return nullptr;
}

QString SkinViewAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name)
        return QStringLiteral("Front panel");
    return QAccessibleWidget::text(t);
}
