// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/skin/SkinLabel.h"

SkinLabel::SkinLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::NoTextInteraction);
}
