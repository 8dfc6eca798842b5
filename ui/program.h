// The program entry: the application object, the real collaborators of the main window and the
// four windows.
#pragma once

#include <functional>

namespace tollvane {

class TForm1;

// Runs Tollvane until the main window closes. whenShown, if given, runs once the main window
// is shown and its start-up reload offer has been handled (the start-up benchmark uses it).
int RunProgram(int argc, char** argv, const std::function<void(TForm1&)>& whenShown = {});

}  // namespace tollvane
