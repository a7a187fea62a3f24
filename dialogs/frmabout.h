// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace orvinta {

/// The about box.
class frmAbout : public QWidget {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* lblText1;
    QLabel* lblText2;
    QLabel* lblVersion;
    QLabel* imgLogo;
    QLabel* lbltext4;
    QLabel* lblText5;
    QLabel* lblText3;
    QPushButton* cmdOK;

public slots:
    void cmdOK_Click();
};

} // namespace orvinta
