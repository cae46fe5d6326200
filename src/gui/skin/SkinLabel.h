// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

// The skin engine's static caption, used where a dialog wants a label in the
// panel's look rather than the platform's.
class SkinLabel : public QLabel {
    Q_OBJECT
public:
    explicit SkinLabel(const QString& text = {}, QWidget* parent = nullptr);
};
