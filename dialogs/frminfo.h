// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <array>

class QLabel;
class QPushButton;

namespace orvinta {

/// Explains the frame format and gives the eight conversion formulas.
class frmInfo : public QWidget {
    Q_OBJECT

public:
    explicit frmInfo(QWidget* parent = nullptr);

    /// Label1 to Label7: the paragraphs and the source line.
    std::array<QLabel*, 7> paragraphs{};
    /// Label8 to Label15: the formula lines of channels 1 to 8.
    std::array<QLabel*, 8> formulaLines{};
    QPushButton* cmdOK;

public slots:
    void cmdOK_Click();
};

} // namespace orvinta
