#pragma once

#include <QString>

namespace quittora {

class Prompts;
class Shell;
class SpecialFolders;

// File name of the user manual, built beside the program.
QString manualFileName(); // "Anleitung.pdf"

// Where the manual lies: beside the program, or else in the installed
// share folder (programFilePath); empty when the system names no program
// folder.
QString manualPath(const SpecialFolders& folders);

// Menu "Anleitung im PDF-Format": opens the manual with the desktop's PDF
// viewer. A missing manual, or a desktop that cannot open it, is explained in
// a German message instead. True when the manual was handed to the viewer.
bool openManual(const SpecialFolders& folders, Shell& shell, Prompts& prompts);

} // namespace quittora
