// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPalette>

struct SkinPalette;

// The skin's palette as Qt's widgets take it.
QPalette QtPaletteOf(const SkinPalette& colours);

// Gives the whole program the skin's look: one style and the skin's palette
// for every dialog, popup menu, message box and file dialog, which the
// front panel's own drawing already follows. `withStyle` false keeps the
// style the user chose and gives it the palette only.
void ApplySkinLook(const SkinPalette& colours, bool withStyle = true);
