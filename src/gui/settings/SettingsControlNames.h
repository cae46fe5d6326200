// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/SettingsDialogRules.h"

#include <QLatin1String>
#include <optional>

// The object name that each settings control carries in the page forms: the
// only place that spells them.
QLatin1String settingsControlName(settings::ControlId id);

// The control an object name stands for, if any.
std::optional<settings::ControlId> settingsControlNamed(const QString& objectName);
