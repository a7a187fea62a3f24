// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QTimer;

namespace orvinta {

/// The splash window: shown modal at start-up and on demand, it hides itself
/// three seconds after it becomes active.
class frmIntro : public QWidget {
    Q_OBJECT

public:
    static constexpr int kCloseIntervalMs = 3000;

    explicit frmIntro(int closeIntervalMs = kCloseIntervalMs, QWidget* parent = nullptr);

    QLabel* lblText1;
    QLabel* lblText2;
    QLabel* imgao19;
    QTimer* tmrclose;

public slots:
    void Form_Activate();
    void tmrclose_Timer();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

} // namespace orvinta
