// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

#include <initializer_list>

class QLabel;
class QPushButton;
class QWidget;

namespace orvinta {

/// A label placed at `twips` (left, top, width, height in twips) of `parent`.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, const QRect& twips,
                  const QFont& font);

/// A label in a single-line box with an opaque background of the colour `background`.
QLabel* makeFramedLabel(QWidget* parent, const char* name, const QString& text, const QRect& twips,
                        const QFont& font, const QColor& background);

/// A push button that Enter and Esc never press: no button of the program is a default
/// or cancel button.
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption,
                        const QRect& twips, const QFont& font);

/// Sets the order in which Tab visits `widgets`, first to last.
void setTabChain(std::initializer_list<QWidget*> widgets);

/// Gives `window` the client size `widthTwips` x `heightTwips` and keeps it there.
void fixClientSize(QWidget* window, int widthTwips, int heightTwips);

/// Gives `window` the size `pixels` and keeps it there: the window manager is asked to
/// refuse resizing, and a resize that happens anyway (a window manager that ignores the
/// request, a tool that sets the geometry) is undone at once. A minimised, maximised or
/// full-screen window is left alone; it comes back at this size when restored.
void lockSize(QWidget* window, QSize pixels);

/// Window flags of the dialogs and information windows: a title bar with a close box,
/// no minimise or maximise button, not sizable.
Qt::WindowFlags fixedDialogFlags();

/// Sets the program icon on `window`.
void setProgramIcon(QWidget* window);

} // namespace orvinta
