#pragma once

namespace tervil {

// The program: becomes the editor, or hands its paths to the editor that already runs.
int RunTervil(int argc, char** argv);

}  // namespace tervil
