// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace orvinta {

/// Title of the program's message boxes unless a command names another.
inline const QString kApplicationTitle = QStringLiteral("Orvinta");

/// The platform's standard dialogs. Windows reach them only through platform(), so
/// tests can install their own answers instead of running modal loops.
class PlatformServices {
public:
    virtual ~PlatformServices() = default;

    /// A modal message box with one OK button and no icon.
    virtual void showMessage(QWidget* parent, const QString& text, const QString& title) = 0;

    /// A modal text input box with OK and Cancel; Cancel gives an empty text.
    virtual QString askText(QWidget* parent, const QString& prompt, const QString& title,
                            const QString& preset) = 0;

    /// A modal question with the buttons "&Ja" and "&Nein", "&Nein" the default;
    /// true for "&Ja". Closing the box answers "&Nein".
    virtual bool askYesNo(QWidget* parent, const QString& question, const QString& title) = 0;

    /// A modal file dialog that picks an existing file, offering the files that
    /// `filter` names ("Tabellen (*.txt)"); an empty text when cancelled.
    virtual QString askOpenFileName(QWidget* parent, const QString& title,
                                    const QString& filter) = 0;

    /// A modal file dialog that names a file to write, proposing `preset`; it asks
    /// before an existing file is replaced. An empty text when cancelled.
    virtual QString askSaveFileName(QWidget* parent, const QString& title, const QString& preset,
                                    const QString& filter) = 0;
};

/// The services in use: the real dialogs unless a test installed others.
PlatformServices& platform();

/// Installs `services` (not owned) in place of the real dialogs; nullptr restores them.
void setPlatformServices(PlatformServices* services);

/// Shows a message box titled "Orvinta" unless `title` says otherwise.
inline void showMessage(QWidget* parent, const QString& text,
                        const QString& title = kApplicationTitle) {
    platform().showMessage(parent, text, title);
}

} // namespace orvinta
