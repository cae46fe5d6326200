// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "skin/SkinElement.h"
#include "skin/SkinFile.h"

#include <QObject>
#include <QRect>
#include <memory>
#include <vector>

// A window dressed with one form of the skin: its elements in painting order.
class SkinnedWindow : public QObject {
    Q_OBJECT
public:
    explicit SkinnedWindow(const SkinFormDesc& form);
    ~SkinnedWindow() override;

    QString formName() const { return m_formName; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    QString attribute(const QString& key, const QString& fallback = {}) const;

    // The element of that name (compared exactly, case included), or nullptr.
    SkinObject* FindElement(const QString& name) const;
    SkinElement* element(const QString& name) const;

    const std::vector<std::unique_ptr<SkinElement>>& elements() const { return m_elements; }
    // The topmost named, interactive element under the point, else the topmost
    // named element there, else nullptr.
    SkinElement* elementAt(int x, int y) const;

signals:
    // An element asked to be repainted; the area covers its old and new rectangle.
    void redrawRequested(const QRect& area);

private:
    QString m_formName;
    int m_width;
    int m_height;
    QHash<QString, QString> m_attributes;
    std::vector<std::unique_ptr<SkinElement>> m_elements;
};
