// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/dialogs/Tfm_silence.h"

#include "gui/dialogs/PlaceBesideMainWindow.h"
#include "ui_Tfm_silence.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QPushButton>

#include <algorithm>

Tfm_silence::Tfm_silence(PieceCommands::SilenceQuestion& question, QWidget* mainWindow)
    : QDialog(mainWindow), m_question(question), m_mainWindow(mainWindow)
{
    Ui::Tfm_silence form;
    form.setupUi(this);
    edt_threshold = form.edt_threshold;
    edt_minSilence = form.edt_minSilence;
    edt_minPiece = form.edt_minPiece;
    ck_drop = form.ck_drop;
    btn_ok = form.buttons->button(QDialogButtonBox::Ok);
    btn_cancel = form.buttons->button(QDialogButtonBox::Cancel);
    btn_ok->setObjectName(QStringLiteral("btn_ok"));
    btn_cancel->setObjectName(QStringLiteral("btn_cancel"));
    btn_ok->setDefault(true);
    connect(form.buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(form.buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ck_drop->setAccessibleName(QStringLiteral("Drop the silences"));
    // One width for the three numbers, so that they line up.
    int width = 0;
    for (QDoubleSpinBox* box : {edt_threshold, edt_minSilence, edt_minPiece})
        width = std::max(width, box->sizeHint().width());
    for (QDoubleSpinBox* box : {edt_threshold, edt_minSilence, edt_minPiece})
        box->setMinimumWidth(width);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void Tfm_silence::showEvent(QShowEvent* event)
{
    const SilenceOptions& o = m_question.options;
    edt_threshold->setValue(o.thresholdDb);
    edt_minSilence->setValue(o.minSilenceSeconds);
    edt_minPiece->setValue(o.minPieceSeconds);
    ck_drop->setChecked(o.dropSilence);
    edt_threshold->setFocus();
    edt_threshold->selectAll();
    if (m_mainWindow)
        PlaceBesideMainWindow(*this, *m_mainWindow);
    QDialog::showEvent(event);
}

void Tfm_silence::accept()
{
    // The spin boxes take a value being typed when they lose the focus;
    // Enter in one of them must not leave it behind.
    for (QDoubleSpinBox* box : {edt_threshold, edt_minSilence, edt_minPiece})
        box->interpretText();
    SilenceOptions& o = m_question.options;
    o.thresholdDb = edt_threshold->value();
    o.minSilenceSeconds = edt_minSilence->value();
    o.minPieceSeconds = edt_minPiece->value();
    o.dropSilence = ck_drop->isChecked();
    m_question.accepted = true;
    QDialog::accept();
}
