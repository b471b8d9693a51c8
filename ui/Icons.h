#pragma once

#include <QIcon>

namespace tilvex::ui {

// Toolbar images, drawn by the program for each toolbar command; a null
// icon for any other id.
QIcon CommandIcon(int id);
// The program's window icon: four quilt blocks, as installed for the desktop.
QIcon ProgramIcon();

}  // namespace tilvex::ui
