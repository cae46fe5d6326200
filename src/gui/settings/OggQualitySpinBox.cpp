// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/settings/OggQualitySpinBox.h"

#include "settings/SettingsDialogModel.h"

#include <algorithm>

OggQualitySpinBox::OggQualitySpinBox(QWidget* parent) : QSpinBox(parent)
{
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

void OggQualitySpinBox::fixup(QString& text) const
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (ok)
        text = QString::number(std::clamp(v, minimum(), maximum()));
}

QValidator::State OggQualitySpinBox::validate(QString& text, int& pos) const
{
    if (text.isEmpty())
        return QValidator::Intermediate;
    // Anything but a digit is refused where it is typed; nothing else is removed.
    if (text.size() > 5 || !std::all_of(text.begin(), text.end(),
                                        &settings::SettingsDialogModel::acceptsTypedCharacter))
        return QValidator::Invalid;
    const int v = text.toInt();
    if (v >= minimum() && v <= maximum())
        return QSpinBox::validate(text, pos);
    return QValidator::Intermediate;
}
