// SPDX-License-Identifier: GPL-3.0-or-later
#include "platformservices.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

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

    bool askYesNo(QWidget* parent, const QString& question, const QString& title) override {
        QMessageBox box(QMessageBox::Question, title, question, QMessageBox::NoButton, parent);
        QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    }

    QString askOpenFileName(QWidget* parent, const QString& title, const QString& filter) override {
        return QFileDialog::getOpenFileName(parent, title, QString(), filter);
    }

    QString askSaveFileName(QWidget* parent, const QString& title, const QString& preset,
                            const QString& filter) override {
        return QFileDialog::getSaveFileName(parent, title, preset, filter);
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
