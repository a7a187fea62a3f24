// SPDX-License-Identifier: GPL-3.0-or-later
#include "platformservices.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace orvinta {

namespace {

class QtPlatformServices final : public PlatformServices {
public:
    void showMessage(QWidget* parent, const QString& text, const QString& title) override {
        QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
        box.exec();
    }

    QString askText(QWidget* parent, const QString& prompt, const QString& title,
                    const QString& preset) override {
        bool ok = false;
        const QString text =
            QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, preset, &ok);
        return ok ? text : QString();
    }

    QString askOpenFileName(QWidget* parent, const QString& title, const QString& filter) override {
        return QFileDialog::getOpenFileName(parent, title, QString(), filter);
    }
};

QtPlatformServices& realServices() {
    static QtPlatformServices services;
    return services;
}

PlatformServices* installedServices = nullptr;

} // namespace

PlatformServices& platform() {
    return installedServices != nullptr ? *installedServices : realServices();
}

void setPlatformServices(PlatformServices* services) {
    installedServices = services;
}

} // namespace orvinta
