#pragma once

#include "Dialogs.h"

#include <deque>
#include <string>
#include <vector>

// Test double of the dialogs seam: records every box and file dialog and answers from queues
// (IDOK, and cancel for a file dialog, when the queue is empty); records the wait-cursor switches.
// Installs itself for its lifetime.
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

    // Answers with the next path of fileAnswers; "" (or an empty queue) is a cancel.
    bool fileDialog(const FileDialogRequest& request, SString& path) override {
        fileRequests.push_back(request);
        if (fileAnswers.empty()) return false;
        std::string answer = fileAnswers.front();
        fileAnswers.pop_front();
        if (answer.empty()) return false;
        path.setRaw(answer.data(), int(answer.size()));
        return true;
    }

    void setWaitCursor(bool on) override { waitCursor.push_back(on); }

    std::vector<Box> boxes;
    std::deque<int> answers;
    std::vector<FileDialogRequest> fileRequests;
    std::deque<std::string> fileAnswers;
    std::vector<bool> waitCursor;

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
