// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The access keys ("&" in a caption) of a window, grouped by the level at which they are
// pressed: Alt plus the letter in the window itself, or the letter inside an open menu.

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include <map>
#include <vector>

namespace orvinta::test {

/// The access key of `caption`, upper-cased, or a null character when it has none.
inline QChar accessKey(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] != u'&')
            return caption[i + 1].toUpper();
        ++i; // "&&" is a literal ampersand
    }
    return {};
}

/// The captions that use each access key at one level.
struct AccessKeyLevel {
    QString name;
    std::map<QChar, QStringList> captions;

    void add(const QString& caption) {
        const QChar key = accessKey(caption);
        if (!key.isNull())
            captions[key] << caption;
    }
};

/// The levels of `window`: the window itself (its buttons, labels with a buddy and the
/// titles in its menu bar), then each of its menus.
inline std::vector<AccessKeyLevel> accessKeyLevels(const QWidget* window) {
    AccessKeyLevel top{window->objectName(), {}};
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>())
        top.add(button->text());
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (label->buddy() != nullptr)
            top.add(label->text());
    }
    std::vector<AccessKeyLevel> levels;
    for (const QMenuBar* bar : window->findChildren<QMenuBar*>()) {
        for (const QAction* action : bar->actions())
            top.add(action->text());
    }
    levels.push_back(top);
    for (const QMenu* menu : window->findChildren<QMenu*>()) {
        AccessKeyLevel level{menu->objectName(), {}};
        for (const QAction* action : menu->actions()) {
            if (!action->isSeparator())
                level.add(action->text());
        }
        levels.push_back(level);
    }
    return levels;
}

} // namespace orvinta::test
