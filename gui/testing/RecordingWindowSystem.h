#pragma once

#include "WindowSystem.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// Test double of the window seam: windows exist only as records (procedure, parent, rectangle,
// caption, visibility); tests play the user (resize, close button, click, key) and read what the
// framework did. No display is needed. Installs itself for its lifetime.
class RecordingWindowSystem : public WindowSystem {
public:
    struct Window {
        WindowProcedure* procedure = nullptr;
        HWND parent = nullptr;
        std::string text;
        int id = 0;
        RECT rect = {0, 0, 0, 0};  // frames: 0, 0, client width, client height
        bool visible = false;
        bool focused = false;
        ShowMode shown = showNormal;
        bool centered = false;
        std::string bigIcon;
        std::string smallIcon;
    };

    RecordingWindowSystem() : previous(setWindowSystem(this)) {}
    ~RecordingWindowSystem() override { setWindowSystem(previous); }

    bool init() override { return initResult; }
    Dialogs* platformDialogs() override { return nullptr; }

    HWND createFrame(WindowProcedure* procedure, const SString& title, int width, int height) override {
        if (failCreation) return nullptr;
        Window w;
        w.procedure = procedure;
        w.text = title.getChars();
        w.rect = RECT{0, 0, width, height};
        return add(w);
    }
    HWND createButton(HWND parent, WindowProcedure* procedure, const SString& caption, int id,
                      const RECT& rect, bool visible) override {
        if (failCreation || find(parent) == nullptr) return nullptr;
        Window w;
        w.procedure = procedure;
        w.parent = parent;
        w.text = caption.getChars();
        w.id = id;
        w.rect = rect;
        w.visible = visible;
        return add(w);
    }
    void moveWindow(HWND child, int x, int y, int width, int height) override {
        if (Window* w = find(child)) w->rect = RECT{x, y, x + width, y + height};
    }
    void setTitle(HWND frame, const SString& title) override {
        if (Window* w = find(frame)) w->text = title.getChars();
    }
    void setIcons(HWND frame, const SString& big, const SString& small) override {
        if (Window* w = find(frame)) {
            w->bigIcon = big.getChars();
            w->smallIcon = small.getChars();
        }
    }
    void showFrame(HWND frame, ShowMode mode, bool centered) override {
        if (Window* w = find(frame)) {
            w->visible = true;
            w->shown = mode;
            w->centered = centered;
        }
    }
    // WM_DESTROY to the window, then to its children, as the platform reports them.
    void destroy(HWND window) override {
        Window* w = find(window);
        if (w == nullptr) return;
        WindowProcedure* procedure = w->procedure;
        windows.erase(window);
        ++destroyed;
        if (procedure != nullptr) procedure->windowProc(WM_DESTROY, 0, 0);
        std::vector<HWND> children;
        for (auto& entry : windows)
            if (entry.second.parent == window) children.push_back(entry.first);
        for (HWND child : children)
            destroy(child);
    }
    bool getClientSize(HWND frame, int& width, int& height) override {
        Window* w = find(frame);
        if (w == nullptr) return false;
        width = int(w->rect.right - w->rect.left);
        height = int(w->rect.bottom - w->rect.top);
        return true;
    }
    void setFocus(HWND window) override {
        for (auto& entry : windows)
            entry.second.focused = entry.first == window;
    }

    // --- The user's side.
    void resize(HWND frame, int width, int height) {
        Window* w = find(frame);
        if (w == nullptr) return;
        w->rect = RECT{0, 0, width, height};
        w->procedure->windowProc(WM_SIZE, 0, LPARAM(makeLong(unsigned(width), unsigned(height))));
    }
    void pressCloseButton(HWND frame) {
        if (Window* w = find(frame)) w->procedure->windowProc(WM_CLOSE, 0, 0);
    }
    void click(HWND button) {
        Window* w = find(button);
        if (w == nullptr) return;
        Window* parent = find(w->parent);
        if (parent != nullptr)
            parent->procedure->windowProc(WM_COMMAND, makeLong(unsigned(w->id), BN_CLICKED), LPARAM(button));
    }
    // A key event in frame as the platform offers it; true when it was taken (not passed on).
    bool key(HWND frame, UINT message, WPARAM virtualKey) {
        Window* w = find(frame);
        if (w == nullptr) return false;
        MSG msg{};
        msg.hwnd = frame;
        msg.message = message;
        msg.wParam = virtualKey;
        return w->procedure->preTranslateMessage(msg);
    }

    Window* find(HWND window) {
        auto it = windows.find(window);
        return it == windows.end() ? nullptr : &it->second;
    }

    std::map<HWND, Window> windows;
    int destroyed = 0;
    bool initResult = true;
    bool failCreation = false;

private:
    HWND add(const Window& w) {
        handles.push_back(std::make_unique<char>());
        HWND h = reinterpret_cast<HWND>(handles.back().get());
        windows[h] = w;
        return h;
    }

    std::vector<std::unique_ptr<char>> handles;
    WindowSystem* previous;
};
