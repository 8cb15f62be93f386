// The guided tour of ./run: the real program, driven through its window against the remote
// library's built-in analyzer, step by step, each step checked through the driver (the
// windows, texts and list contents it expects) and pictured, and out/tour.html showing the
// pictures in order with what each step did.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace zvui {

struct TourStep {
    std::string title;
    std::string caption;     // what the step did and what its picture shows
    std::string picture;     // file name in the screens folder, empty without one
    bool passed = false;
    std::string failure;     // why it failed
    double milliseconds = 0;
};

struct TourOptions {
    std::string folder;       // the sandbox: program folder, profile, buffer files (Windows path)
    std::string screens;      // where the pictures go (Windows path)
    std::string html;         // the page that shows them (Windows path)
    bool leaveRunning = false;
};

// Runs the tour; 0 when every step passed, 1 otherwise (the page is written either way).
int runTour(const TourOptions& options);

// The page: each step with its title, time, result, caption and picture.
std::string tourHtml(const std::vector<TourStep>& steps);

}  // namespace zvui
