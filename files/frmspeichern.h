// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "savecommands.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace orvinta {

/// The table export: the operator names the table and starts a new one or extends an
/// existing one by the row of the values the output window shows, or by the rows of the
/// frames heard.
class frmSpeichern : public QWidget {
    Q_OBJECT

public:
    /// Whether "Eine neue Tabelle beginnen" replaces a table that holds rows at once,
    /// or only once the operator has said so.
    enum class Replacing { AtOnce, AfterAsking };

    /// `values` gives the output window's ten texts at the moment of saving.
    explicit frmSpeichern(ValueSource values, QWidget* parent = nullptr);
    /// `rows` gives the rows to export at the moment of saving.
    explicit frmSpeichern(RowSource rows, QWidget* parent = nullptr);
    /// `rows` gives the rows to export, with their times, at the moment of saving.
    frmSpeichern(TimedRowSource rows, Replacing replacing, QWidget* parent = nullptr);

    QLabel* lblText1;
    QLineEdit* txtDateiname;
    QLabel* lblText2;
    QRadioButton* optNeueTabelle;
    QRadioButton* optalteTabelle;
    QPushButton* cmdSpeichern;
    QPushButton* cmdAbbruch;

public slots:
    void cmdSpeichern_Click();
    void cmdAbbruch_Click();

private:
    /// Whether the table `fileName` may be replaced: asks first when it holds rows
    /// and the window was made to ask.
    bool mayReplace(const QString& fileName);

    TimedRowSource m_rows;
    Replacing m_replacing;
};

} // namespace orvinta
