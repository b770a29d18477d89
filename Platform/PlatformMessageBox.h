#pragma once
// Modal message boxes. A process without a GUI never blocks: the text goes
// to stderr and the host log and the box answers at once (OK, or the answer
// a capture asks for). Tests capture the boxes with MessageBoxCapture.
#include <string>
#include <vector>

enum : int { kNotShown = 0, kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// Shows text with caption (null: the default caption); returns the button pressed.
int PlatformMessageBox(const char* text, const char* caption, unsigned type);

// A GUI layer installs a presenter that shows boxes for real and answers the button pressed, or
// kNotShown when it cannot show one now (the box is then reported headless); null restores headless mode.
using MessageBoxPresenter = int (*)(const char* text, const char* caption, unsigned type);
void SetMessageBoxPresenter(MessageBoxPresenter presenter);

// While one exists, boxes are recorded here instead of being shown.
class MessageBoxCapture {
public:
    explicit MessageBoxCapture(int answer = kIdOk);
    ~MessageBoxCapture();
    MessageBoxCapture(const MessageBoxCapture&) = delete;
    MessageBoxCapture& operator=(const MessageBoxCapture&) = delete;

    const std::vector<std::string>& texts() const { return texts_; }
    int count(const std::string& text) const;   // how often exactly this text was shown
    int answer() const { return answer_; }
    void record(const char* text) { texts_.emplace_back(text ? text : ""); }

private:
    std::vector<std::string> texts_;
    int answer_;
    MessageBoxCapture* previous_;
};
