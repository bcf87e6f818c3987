// Exit codes of the tool and the readable text behind each one. The numbers are the platform
// tool's: the provider maps them to its error identifiers, so they must never be renumbered.
// Thread-safety: constants and a pure function.
#pragma once

#include <string>

namespace softinv
{

constexpr int kExitOk = 0;
// Answers that are not errors: "no" for --hascomponents, "no warnings" for --warnings.
constexpr int kExitNo = 1;
// A command line the tool does not understand.
constexpr int kExitUsage = 2;

constexpr int kExitFtpFailed = 11;
constexpr int kExitSoftwareUpdateFailed = 12;
constexpr int kExitPackageInstallFailed = 13;
constexpr int kExitDownloadFailed = 14;
constexpr int kExitApplyFailed = 15;
constexpr int kExitRemoveFailed = 16;
constexpr int kExitScheduleFailed = 17;
constexpr int kExitModifyFailed = 18;
constexpr int kExitHttpFailed = 19;
constexpr int kExitHttpsFailed = 20;
constexpr int kExitSambaFailed = 21;
constexpr int kExitUsbFailed = 22;
constexpr int kExitNoUpdatesFound = 23;
constexpr int kExitNoLocalUpdatesFound = 33;
constexpr int kExitTimeZoneNotSet = 34;

// The text --errors prints for an exit code; every code has one.
std::string errorText(int code);

// Thrown by the commands for any failure that ends the run with a given exit code; main
// prints the message on standard error and exits with the code.
struct ToolError
{
    int code;
    std::string message;
};

} // namespace softinv
