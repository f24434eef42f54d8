#pragma once

#include "Dialogs.h"

#include <deque>
#include <string>
#include <vector>

// Test double of the dialogs seam: records every box and answers from a queue (IDOK when the
// queue is empty). Installs itself for its lifetime.
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

    std::vector<Box> boxes;
    std::deque<int> answers;

private:
    Dialogs* previous;
};
