#pragma once
// Shows a job's progress from the status text the driver leaves in the job
// request: a redrawn bar on a terminal, plain lines otherwise.
#include <cstdio>
#include <string>

struct JobStatus {
    std::string plane;        // colorant being written; empty when the text names none
    int planePercent = -1;    // -1 when the text carries no figure
    int overallPercent = -1;  // of the page; -1 when the text carries none
    std::string message;      // a text that is not a progress figure ("Write Data Error")
};

class ProgressDisplay {
public:
    ProgressDisplay(std::FILE* out, bool terminal) : out_(out), terminal_(terminal) {}

    // Reads a status text: kind 1 "NAME  P% O%" (plane, its percentage, the page's), kind 3 " P%".
    static JobStatus parse(const char* text, int kind);
    // Shows the status when it differs from the last one shown (plain lines: a new plane, a new tenth
    // of the page, or a message).
    void update(const char* text, int kind);
    // Ends the bar line, if one is drawn, so that later output starts on a fresh line.
    void finish();
    // Like finish, after drawing the bar full: the job has ended normally.
    void complete();

private:
    std::FILE* out_;
    bool terminal_;
    bool barDrawn_ = false;
    std::string lastText_;
    JobStatus last_;
};
