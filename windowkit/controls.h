// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

#include <initializer_list>

class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;

namespace orvinta {

/// Gives `control` the object name `name` and places it at `twips` (left, top, width,
/// height in twips) of its parent.
void placeControl(QWidget* control, const char* name, const QRect& twips);

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

/// An option button in the font of `parent`; the option buttons of one parent form one
/// group.
QRadioButton* makeOption(QWidget* parent, const char* name, const QString& caption,
                         const QRect& twips);

/// A progress bar in the font of `parent`, with Qt's range 0 to 100.
QProgressBar* makeBar(QWidget* parent, const char* name, const QRect& twips);

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

/// Window flags of the main window and the windows that stay open beside it: a title bar
/// with minimise and close buttons, no maximise button.
Qt::WindowFlags toplevelWindowFlags();

/// Shows `window`, raises it over the program's other windows and activates it: how a
/// window that stays open beside the main window is called up again.
void bringToFront(QWidget* window);

/// Sets the program icon on `window`.
void setProgramIcon(QWidget* window);

/// What every window with the program icon starts with: the object name `name`, the
/// title `title`, the program icon and the fixed client size `widthTwips` x `heightTwips`.
void setUpWindow(QWidget* window, const char* name, const QString& title, int widthTwips,
                 int heightTwips);

} // namespace orvinta
