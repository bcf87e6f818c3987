#include "ExitCodes.hpp"

namespace softinv
{

std::string errorText(int code)
{
    switch (code)
    {
    case kExitOk:
        return "The operation completed successfully.";
    case kExitNo:
        return "The answer is no (no warnings, or no optional components).";
    case kExitUsage:
        return "The tool was called with a command line it does not understand.";
    case kExitFtpFailed:
        return "Updates could not be fetched from the FTP server: it is unreachable, refused "
               "the login, or the directory does not exist.";
    case kExitSoftwareUpdateFailed:
        return "The software update request failed: the update is not in the cache, or the "
               "tool's state could not be read or written.";
    case kExitPackageInstallFailed:
        return "A package of the update could not be installed; the packages installed before "
               "it were restored.";
    case kExitDownloadFailed:
        return "An update could not be downloaded completely, or the element manager has no "
               "update directory.";
    case kExitApplyFailed:
        return "The update could not be applied: it is not in the cache, already applied, "
               "superseded, invalid, another operation is in progress, or it was cancelled.";
    case kExitRemoveFailed:
        return "The update could not be rolled back or cancelled: it is neither being applied "
               "nor removable from the history, or another operation is in progress.";
    case kExitScheduleFailed:
        return "The update could not be scheduled: it is not available, already scheduled, or "
               "the time window is invalid.";
    case kExitModifyFailed:
        return "The schedule could not be changed: the update is not scheduled, or the time "
               "window is invalid.";
    case kExitHttpFailed:
        return "Updates could not be fetched from the HTTP server: it is unreachable, refused "
               "the request, or has no update index at that address.";
    case kExitHttpsFailed:
        return "Updates could not be fetched from the HTTPS server: it is unreachable, its "
               "certificate was not accepted, or it has no update index at that address.";
    case kExitSambaFailed:
        return "Updates could not be fetched from the Samba share: the server or the share is "
               "not reachable, or the login was refused.";
    case kExitUsbFailed:
        return "Updates could not be read from the USB medium: the path does not exist or is "
               "not a directory.";
    case kExitNoUpdatesFound:
        return "The source was reached but holds no updates.";
    case kExitNoLocalUpdatesFound:
        return "No updates were found at the given local path.";
    case kExitTimeZoneNotSet:
        return "The system time zone is not set; updates cannot be scheduled.";
    default:
        return "Unknown error (exit code " + std::to_string(code) + ").";
    }
}

} // namespace softinv
