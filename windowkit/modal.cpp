// SPDX-License-Identifier: GPL-3.0-or-later
#include "modal.h"

#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>

namespace orvinta {

namespace {

/// Ends the modal loop when the watched window is hidden (by itself or by closing).
class HideWatcher : public QObject {
public:
    explicit HideWatcher(QEventLoop* loop)
        : m_loop(loop) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide)
            m_loop->quit();
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop* m_loop;
};

} // namespace

void showModal(QWidget* window) {
    QPointer<QWidget> guard(window);
    QEventLoop loop;
    HideWatcher watcher(&loop);
    window->installEventFilter(&watcher);
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);

    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    if (window->isVisible())
        loop.exec(QEventLoop::DialogExec);

    if (!guard.isNull()) {
        guard->removeEventFilter(&watcher);
        // Modality can only change while hidden; a window that is still shown here was
        // hidden and shown again by someone else and keeps it until its next showing.
        if (guard->isHidden())
            guard->setWindowModality(Qt::NonModal);
    }
}

} // namespace orvinta
