// Writing finished output: a file is replaced whole or not at all, and every failure
// comes back as the operating system's reason (the caller names the file).
#pragma once

#include <QByteArray>
#include <functional>
#include <string>

// Writes bytes to path, named by its bytes as given (no change of encoding). A regular
// file (or none) is replaced atomically: the bytes go to a temporary file beside it,
// which is flushed, closed and renamed over the target; on failure the target is left
// as it was. A device or a pipe (/dev/stdout, a FIFO) is written in place.
bool WriteOutputFile(const std::string& path, const QByteArray& bytes, std::string& error);

// As WriteOutputFile, for output too large to hold: write puts the contents on the open
// descriptor it is given (at its start; seekable when the target is a regular file) and
// returns false with the reason in error when it fails.
bool WriteOutputFileBy(const std::string& path, const std::function<bool(int fd, std::string& error)>& write,
                       std::string& error);

// Writes bytes to an open file descriptor (standard output), every write checked.
bool WriteOutputDescriptor(int fd, const QByteArray& bytes, std::string& error);
