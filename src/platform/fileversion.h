#pragma once

#include <QString>

#include <array>
#include <optional>

namespace platform {

// The four 16-bit parts of a file's version (major, minor, build, revision).
using FileVersion = std::array<quint16, 4>;

// Our executables carry their version inside the file (the build writes a marker into each);
// any other file has none.
std::optional<FileVersion> readFileVersion(const QString &path);

// The running program's own version, as built.
FileVersion ownVersion();

} // namespace platform
