// Opens the author's homepage in a new window of the default browser.
#pragma once
#include <string>

namespace velmora::ui {

// Drives the program's shell automation layer (MHomePageShell.h) through the homepage
// sequence of app/HomePage.h, sleeping on this thread while the browser is busy
// (at most about 2 seconds). Reports nothing, whatever fails.
void HomePageOpen(const std::wstring& address);

}  // namespace velmora::ui
