// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSpinBox>

// The OGG quality edit: admits up to five digits, as the box always has, and
// brings a typed value beyond the range to its nearest end instead of
// refusing the keystroke that made it too big.
class OggQualitySpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit OggQualitySpinBox(QWidget* parent = nullptr);

    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;
};
