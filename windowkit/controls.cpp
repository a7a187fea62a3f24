// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls.h"

#include "framedlabel.h"
#include "resources/pictures.h"
#include "twips.h"

#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

namespace orvinta {

void placeControl(QWidget* control, const char* name, const QRect& twips) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
}

namespace {

void placeLabel(QLabel* label, const char* name, const QString& text, const QRect& twips,
                const QFont& font) {
    placeControl(label, name, twips);
    label->setText(text);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
}

} // namespace

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& twips,
                  const QFont& font) {
    auto* label = new QLabel(parent);
    placeLabel(label, name, text, twips, font);
    return label;
}

QLabel* makeFramedLabel(QWidget* parent, const char* name, const QString& text, const QRect& twips,
                        const QFont& font, const QColor& background) {
    auto* label = new FramedLabel(parent);
    placeLabel(label, name, text, twips, font);
    QPalette colours = label->palette();
    colours.setColor(QPalette::Window, background);
    label->setPalette(colours);
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QRect& twips, const QFont& font) {
    auto* button = new QPushButton(caption, parent);
    placeControl(button, name, twips);
    button->setFont(font);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QRadioButton* makeOption(QWidget* parent, const char* name, const QString& caption,
                         const QRect& twips) {
    auto* option = new QRadioButton(caption, parent);
    placeControl(option, name, twips);
    return option;
}

QProgressBar* makeBar(QWidget* parent, const char* name, const QRect& twips) {
    auto* bar = new QProgressBar(parent);
    placeControl(bar, name, twips);
    return bar;
}

void setTabChain(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (previous != nullptr)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

namespace {

/// Puts the locked size back after every resize the program did not make.
class SizeLock : public QObject {
public:
    SizeLock(QWidget* window, QSize size)
        : QObject(window)
        , m_size(size) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            auto* window = static_cast<QWidget*>(watched);
            constexpr Qt::WindowStates kNotSizable =
                Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen;
            // The resize below causes one more notification, which finds the size right.
            if (window->size() != m_size && (window->windowState() & kNotSizable) == 0)
                window->resize(m_size);
        }
        return false;
    }

private:
    QSize m_size;
};

} // namespace

void lockSize(QWidget* window, QSize pixels) {
    window->setFixedSize(pixels);
    window->installEventFilter(new SizeLock(window, pixels));
}

void fixClientSize(QWidget* window, int widthTwips, int heightTwips) {
    lockSize(window, twipsSize(widthTwips, heightTwips));
}

Qt::WindowFlags fixedDialogFlags() {
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowCloseButtonHint;
}

Qt::WindowFlags toplevelWindowFlags() {
    return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
}

void bringToFront(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

void setProgramIcon(QWidget* window) {
    window->setWindowIcon(QIcon(pictures::programIcon()));
}

void setUpWindow(QWidget* window, const char* name, const QString& title, int widthTwips,
                 int heightTwips) {
    window->setObjectName(QString::fromLatin1(name));
    window->setWindowTitle(title);
    setProgramIcon(window);
    fixClientSize(window, widthTwips, heightTwips);
}

} // namespace orvinta
