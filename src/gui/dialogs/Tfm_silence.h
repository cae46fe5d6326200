// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/PieceCommands.h"

#include <QDialog>

class QCheckBox;
class QDoubleSpinBox;
class QPushButton;

// The silence search's few values: the threshold, the shortest silence, the
// shortest piece, and whether the silences are dropped. Showing it offers
// the values of the question; Ok gives the question the new ones and
// accepts it.
class Tfm_silence : public QDialog {
    Q_OBJECT
public:
    Tfm_silence(PieceCommands::SilenceQuestion& question, QWidget* mainWindow);

    QDoubleSpinBox* edt_threshold;
    QDoubleSpinBox* edt_minSilence;
    QDoubleSpinBox* edt_minPiece;
    QCheckBox* ck_drop;
    QPushButton* btn_ok;
    QPushButton* btn_cancel;

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    PieceCommands::SilenceQuestion& m_question;
    QWidget* m_mainWindow;
};
