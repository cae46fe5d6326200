// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/settings/SettingsPages.h"

#include "gui/settings/OggQualitySpinBox.h"
#include "ui_SettingsPageGeneral.h"
#include "ui_SettingsPageMp3CommandLine.h"
#include "ui_SettingsPageMp3Expert.h"
#include "ui_SettingsPageMp3Filter.h"
#include "ui_SettingsPageMp3General.h"
#include "ui_SettingsPageMp3Presets.h"
#include "ui_SettingsPageMp3Vbr.h"
#include "ui_SettingsPageOgg.h"
#include "ui_SettingsPageWav.h"
#include "ui_SettingsPageWma.h"

namespace {

// The form's widgets belong to the page; the dialog finds its controls by
// name, so the generated form object is not kept.
template <typename Form> QWidget* createPage()
{
    auto* page = new QGroupBox;
    Form().setupUi(page);
    return page;
}

} // namespace

QList<QWidget*> createSettingsPages()
{
    return {
        createPage<Ui::SettingsPageGeneral>(),
        createPage<Ui::SettingsPageMp3General>(),
        createPage<Ui::SettingsPageMp3Vbr>(),
        createPage<Ui::SettingsPageMp3Filter>(),
        createPage<Ui::SettingsPageMp3Expert>(),
        createPage<Ui::SettingsPageMp3Presets>(),
        createPage<Ui::SettingsPageMp3CommandLine>(),
        createPage<Ui::SettingsPageWav>(),
        createPage<Ui::SettingsPageWma>(),
        createPage<Ui::SettingsPageOgg>(),
    };
}
