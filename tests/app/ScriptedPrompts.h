#pragma once
// Prompts answered from a script, recording every question and message.

#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "app/UiPrompts.h"

namespace kv::test {

class ScriptedPrompts : public UiPrompts {
public:
    struct Shown {
        QString caption;
        QString text;
    };

    Answer Ask(QWidget*, const QString& caption, const QString& text, bool withCancel) override {
        asked.push_back({caption, text});
        askedWithCancel.push_back(withCancel);
        askedDestructive.push_back(false);
        if (answers.empty()) return Answer::No;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    Answer AskDestructive(QWidget* parent, const QString& caption, const QString& text) override {
        const Answer a = Ask(parent, caption, text, false);
        askedDestructive.back() = true;
        return a == Answer::Yes ? Answer::Yes : Answer::No;
    }
    void Message(QWidget*, const QString& caption, const QString& text, Icon icon) override {
        messages.push_back({caption, text});
        icons.push_back(icon);
        if (onMessage) onMessage(caption, text);
    }
    QString OpenFile(QWidget*, const QString& filter, const QString& directory) override {
        filters.push_back(filter);
        directories.push_back(directory);
        return NextFile();
    }
    QString SaveFile(QWidget*, const QString& defaultName, const QString& defaultSuffix, const QString& filter,
                     const QString& directory) override {
        saveDefaults.push_back(defaultName + "|" + defaultSuffix);
        filters.push_back(filter);
        directories.push_back(directory);
        return NextFile();
    }

    std::deque<Answer> answers;
    std::deque<QString> files;  // an empty entry is a cancelled dialog
    std::vector<Shown> asked;
    std::vector<bool> askedWithCancel;
    std::vector<bool> askedDestructive;  // asked with No as the default
    std::vector<Shown> messages;
    std::vector<Icon> icons;
    std::vector<QString> filters;
    std::vector<QString> saveDefaults;
    std::vector<QString> directories;  // where each file dialog started
    std::function<void(const QString&, const QString&)> onMessage;

private:
    QString NextFile() {
        if (files.empty()) return {};
        QString f = files.front();
        files.pop_front();
        return f;
    }
};

}  // namespace kv::test
