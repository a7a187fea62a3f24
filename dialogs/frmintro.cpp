// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmintro.h"

#include "resources/pictures.h"
#include "windowkit/controls.h"
#include "windowkit/fonts.h"
#include "windowkit/twips.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

namespace orvinta {

frmIntro::frmIntro(int closeIntervalMs, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmIntro"));
    setWindowTitle(QStringLiteral("Intro"));
    setProgramIcon(this);
    fixClientSize(this, 3588, 4920);

    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 255, 0));
    setPalette(colours);
    setAutoFillBackground(true);

    // The labels have no background of their own, so their texts stand on the yellow.
    lblText1 = makeLabel(this, "lblText1", QStringLiteral("LUSAT OSCAR 19"), {120, 120, 3612, 492},
                         sansFont(18, FontStyle::Bold));
    lblText2 = makeLabel(this, "lblText2", QStringLiteral("Orvinta"), {360, 600, 3012, 492},
                         sansFont(13.8, FontStyle::Bold));

    // The picture fills its box at the design DPI; scaling it with the box keeps the
    // proportions of the window at any other DPI.
    imgao19 = makeLabel(this, "imgao19", QString(), {480, 1080, 2664, 3768}, font());
    imgao19->setPixmap(QPixmap(pictures::satellite()));
    imgao19->setScaledContents(true);

    tmrclose = new QTimer(this);
    tmrclose->setObjectName(QStringLiteral("tmrclose"));
    tmrclose->setInterval(closeIntervalMs);
    tmrclose->setTimerType(Qt::PreciseTimer);
    connect(tmrclose, &QTimer::timeout, this, &frmIntro::tmrclose_Timer);
    tmrclose->start();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = geometry();
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
}

void frmIntro::Form_Activate() {
    // Each activation starts the full three seconds again.
    tmrclose->start();
}

void frmIntro::tmrclose_Timer() {
    hide();
    tmrclose->stop();
}

void frmIntro::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Form_Activate();
    QWidget::changeEvent(event);
}

void frmIntro::showEvent(QShowEvent* event) {
    // A splash that is shown becomes the active window; platforms without a window
    // manager may not report that, so showing counts as activation too.
    Form_Activate();
    QWidget::showEvent(event);
}

} // namespace orvinta
