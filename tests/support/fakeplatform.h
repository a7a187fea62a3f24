// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "qtprinters.h"
#include "windowkit/platformservices.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <deque>

namespace orvinta::test {

/// Stands in for the platform's message box, question, input box and file dialogs while it lives:
/// records every message and answers questions, input boxes and file dialogs from
/// queues ("&Nein", or an empty text as Cancel, when one runs out).
class FakePlatform : public PlatformServices {
public:
    struct Message {
        QString text;
        QString title;
    };

    FakePlatform() { setPlatformServices(this); }
    ~FakePlatform() override { setPlatformServices(nullptr); }
    FakePlatform(const FakePlatform&) = delete;
    FakePlatform& operator=(const FakePlatform&) = delete;

    void showMessage(QWidget*, const QString& text, const QString& title) override {
        messages.push_back({text, title});
    }

    QString askText(QWidget*, const QString& prompt, const QString& title,
                    const QString& preset) override {
        prompts.push_back({prompt, title});
        presets.push_back(preset);
        if (answers.empty())
            return {};
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }

    bool askYesNo(QWidget*, const QString& question, const QString& title) override {
        questions.push_back({question, title});
        if (yesNoAnswers.empty())
            return false;
        const bool answer = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return answer;
    }

    QString askOpenFileName(QWidget*, const QString& title, const QString& filter) override {
        fileDialogs.push_back({filter, title});
        return nextFileName();
    }

    QString askSaveFileName(QWidget*, const QString& title, const QString& preset,
                            const QString& filter) override {
        fileDialogs.push_back({filter, title});
        presets.push_back(preset);
        return nextFileName();
    }

    /// The texts of the messages shown so far; each must carry the title `title`.
    QStringList messageTexts(const QString& title = kApplicationTitle) const {
        QStringList texts;
        for (const Message& message : messages) {
            EXPECT_EQ(message.title, title) << message.text.toStdString();
            texts << message.text;
        }
        return texts;
    }

    std::vector<Message> messages;
    std::vector<Message> prompts;
    QStringList presets;
    std::deque<QString> answers;
    /// The yes/no questions asked so far, and the answers to give ("&Nein" when none
    /// is left).
    std::vector<Message> questions;
    std::deque<bool> yesNoAnswers;
    /// The file dialogs asked so far: the filter as text, and the title.
    std::vector<Message> fileDialogs;
    std::deque<QString> fileAnswers;

private:
    QString nextFileName() {
        if (fileAnswers.empty())
            return {};
        QString answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
};

} // namespace orvinta::test
