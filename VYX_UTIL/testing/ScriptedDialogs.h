#pragma once

#include "Dialogs.h"

#include <deque>
#include <string>
#include <vector>

// Test double of the dialogs seam: records every box and file dialog and answers from queues
// (IDOK for a box, cancel for a file dialog when its queue is empty). Installs itself for its
// lifetime.
class ScriptedDialogs : public Dialogs {
public:
    struct Box {
        std::string text;
        std::string caption;
        unsigned flags;
    };

    ScriptedDialogs() : previous(setDialogs(this)) {}
    ~ScriptedDialogs() override { setDialogs(previous); }

    int messageBox(const SString& text, const SString& caption, unsigned flags) override {
        boxes.push_back({text.getChars(), caption.getChars(), flags});
        if (answers.empty()) return IDOK;
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    struct FileDialog {
        bool save;
        std::string title;
        std::string filter;
        std::string proposed;
        std::string defaultExt;
    };

    bool openFileDialog(const SString& title, const SString& filter, const SString& proposed,
                        SString& chosen) override {
        fileDialogs.push_back({false, raw(title), raw(filter), raw(proposed), std::string()});
        return answerFile(chosen);
    }

    bool saveFileDialog(const SString& title, const SString& filter, const SString& proposed,
                        const SString& defaultExt, SString& chosen) override {
        fileDialogs.push_back({true, raw(title), raw(filter), raw(proposed), raw(defaultExt)});
        return answerFile(chosen);
    }

    std::vector<Box> boxes;
    std::deque<int> answers;
    std::vector<FileDialog> fileDialogs;
    // The paths the file dialogs answer with, taken as they are; "" is a cancel.
    std::deque<std::string> fileAnswers;

private:
    static std::string raw(const SString& s) { return std::string(s.getChars(), size_t(s.getLength())); }
    bool answerFile(SString& chosen) {
        if (fileAnswers.empty()) return false;
        const std::string answer = fileAnswers.front();
        fileAnswers.pop_front();
        if (answer.empty()) return false;
        chosen.setRaw(answer.data(), int(answer.size()));
        return true;
    }

    Dialogs* previous;
};
