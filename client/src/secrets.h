// Passwords from a file only its owner can read, or typed at the terminal without echo.
#pragma once

#include <string>

namespace swu
{

// The first line of the file. Throws UsageError when the file is missing, not a regular file
// or readable by group or others.
std::string readSecretFile(const std::string& path, const char* what);

// Asks on the controlling terminal; an empty text when there is none (a script).
std::string promptSecret(const std::string& prompt);

} // namespace swu
