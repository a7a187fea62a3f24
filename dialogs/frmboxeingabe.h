// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orvinta {

/// The group-wise input dialog: the operator enters a frame group by group, and "OK"
/// writes the assembled line into the main window's input line without decoding it.
class frmBoxEingabe : public QWidget {
    Q_OBJECT

public:
    /// `txtEingabe` is the main window's input line, which "OK" replaces.
    explicit frmBoxEingabe(QLineEdit* txtEingabe, QWidget* parent = nullptr);

    QLabel* lblText;
    QLabel* lbl1;
    QLineEdit* txt1;
    QLineEdit* txt2;
    QLineEdit* txt3;
    QLineEdit* txt4;
    QLineEdit* txt5;
    QLineEdit* txt6;
    QLineEdit* txt7;
    QLineEdit* txt8;
    QLineEdit* txt9;
    QPushButton* cmdOK;
    QPushButton* cmdAbbrechen;

    /// txt1 to txt9 in line order.
    std::array<QLineEdit*, 9> boxes() const;

public slots:
    void cmdOK_Click();
    void cmdAbbrechen_Click();

private:
    QPointer<QLineEdit> m_txtEingabe;
};

} // namespace orvinta
