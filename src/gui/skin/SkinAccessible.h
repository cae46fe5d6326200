// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>
#include <QPointer>
#include <vector>

class SkinElement;
class SkinnedWindow;
class SkinView;

// Makes the drawn front panel visible to assistive technology: the panel
// (a SkinView) answers with one child per named element that a user can
// press, move or read. Install once, before the first window shows.
void InstallSkinAccessibility();

// The accessible name of an element: its label, else its text, else its
// hint; empty for an element nobody can use.
QString SkinAccessibleName(const SkinElement& element);

class SkinViewAccessible : public QAccessibleWidget {
public:
    explicit SkinViewAccessible(SkinView* view);
    ~SkinViewAccessible() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    QString text(QAccessible::Text t) const override;

    SkinView* view() const;
    // The child that stands for that element, or nullptr.
    QAccessibleInterface* childFor(const SkinElement* element) const;

private:
    // The children follow the window the panel shows; rebuilt when it changes.
    void sync() const;
    void clearChildren() const;

    mutable QPointer<SkinnedWindow> m_window;
    mutable std::vector<QAccessibleInterface*> m_children;
};
