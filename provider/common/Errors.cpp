// Error identifiers, localisable messages and the throw helpers.
#include "Errors.h"
#include "Diagnostics.h"
#include "Execute.h"
#include "Softinv.h"

#include "OW_CIMException.hpp"

#include <cstdarg>

using namespace OpenWBEM;

namespace
{

// The identifiers of the tool's exit codes kFirstMappedExitCode, kFirstMappedExitCode + 1, ...
const int kFirstMappedExitCode = 11;
const char* const kExitCodeIdentifiers[] = {
    "SWU_Softinv_FtpFailed",            // 11
    "SWU_Softinv_SoftwareUpdateFailed", // 12
    "SWU_Softinv_RpmInstallFailed",     // 13
    "SWU_Softinv_PatchDownloadFailed",  // 14
    "SWU_Softinv_PatchApplyFailed",     // 15
    "SWU_Softinv_PatchRemoveFailed",    // 16
    "SWU_Softinv_PatchScheduleFailed",  // 17
    "SWU_Softinv_PatchModifyFailed",    // 18
    "SWU_Softinv_HttpFailed",           // 19
    "SWU_Softinv_HttpsFailed",          // 20
    "SWU_Softinv_SambaFailed",          // 21
    "SWU_Softinv_UsbFailed",            // 22
    "SWU_Softinv_NoPatchesFound",       // 23
    kErrorSoftinvUnknown,               // 24
    kErrorSoftinvUnknown,               // 25
    kErrorSoftinvUnknown,               // 26
    kErrorSoftinvUnknown,               // 27
    kErrorSoftinvUnknown,               // 28
    kErrorSoftinvUnknown,               // 29
    kErrorSoftinvUnknown,               // 30
    kErrorSoftinvUnknown,               // 31
    kErrorSoftinvUnknown,               // 32
    "SWU_Softinv_NoLocalPatchesFound",  // 33
    "SWU_Softinv_TimeZoneNotSet",       // 34
};
const int kMappedExitCodeCount =
    static_cast<int>(sizeof(kExitCodeIdentifiers) / sizeof(kExitCodeIdentifiers[0]));

} // namespace

String locMsg(const char* identifier, const char* text, ...)
{
    String message(text);
    message += "\n#";
    message += identifier;
    va_list args;
    va_start(args, text);
    for (const char* argument = va_arg(args, const char*); argument != 0;
         argument = va_arg(args, const char*))
    {
        message += ",";
        message += argument;
    }
    va_end(args);
    message += "#";
    return message;
}

void ThrowCimFailed(const String& message)
{
    OutputDebug("Exception: %s", message.c_str());
    OW_THROWCIMMSG(CIMException::FAILED, message.c_str());
}

const char* SoftinvError(int exitCode)
{
    if (exitCode < kFirstMappedExitCode || exitCode >= kFirstMappedExitCode + kMappedExitCodeCount)
    {
        return kErrorSoftinvUnknown;
    }
    return kExitCodeIdentifiers[exitCode - kFirstMappedExitCode];
}

void ThrowSoftInvError(int exitCode)
{
    String command(kSoftinvErrors);
    command += String(Int32(exitCode));
    String toolText;
    if (Execute(command, toolText) == 0)
    {
        ThrowCimFailed(
            locMsg(SoftinvError(exitCode), toolText.c_str(), static_cast<const char*>(0)));
    }
    ThrowCimFailed(SoftinvError(exitCode));
}
