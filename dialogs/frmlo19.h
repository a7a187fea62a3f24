// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <vector>

class QLabel;
class QPushButton;

namespace orvinta {

/// Facts about the satellite LUSAT-OSCAR 19.
class frmlo19 : public QWidget {
    Q_OBJECT

public:
    explicit frmlo19(QWidget* parent = nullptr);

    /// The eleven fact lines, top to bottom.
    std::vector<QLabel*> factLines;
    QPushButton* cmdOK;

public slots:
    void cmdOK_Click();
};

} // namespace orvinta
