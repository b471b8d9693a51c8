#pragma once

#include <filesystem>
#include <string>

namespace tilvex {

// The file a write to `path` lands in. A symbolic link is followed to its
// target, even one not made yet, so writing through the link replaces the
// target and the link stays.
std::filesystem::path WriteTarget(const std::filesystem::path& path);

enum class OutputKind {
    WholeFile,      // written beside and renamed into place: a regular file only
    FileOrDevice,   // a device or pipe that is there already is written directly
};

// Checked before any work: the folder exists and takes new files, and the
// name is not a folder. Empty when a file can be written at path, else
// "cannot write "PATH": why".
std::string CheckOutputFile(const std::string& path, OutputKind kind);

}  // namespace tilvex
