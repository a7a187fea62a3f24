// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmintro.h"

#include "infowindow.h"
#include "resources/pictures.h"
#include "windowkit/controls.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

namespace orvinta {

frmIntro::frmIntro(int closeIntervalMs, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setUpWindow(this, "frmIntro", QStringLiteral("Intro"), 3588, 4920);

    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 255, 0));
    setPalette(colours);
    setAutoFillBackground(true);

    // The labels have no background of their own, so their texts stand on the yellow.
    const TitleLines title = makeTitleLines(this, {120, 120, 3612, 492}, {360, 600, 3012, 492});
    lblText1 = title.satellite;
    lblText2 = title.program;
    imgao19 = makePicture(this, "imgao19", QPixmap(pictures::satellite()), {480, 1080, 2664, 3768});

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
