// The available-update class's methods: dispatch, the retrievals with the checks that guard
// their command lines, progress polling, and the update methods on one listed update.
#include "AvaliableProvider.h"

#include "common/Common.h"

#include "OW_CIMDateTime.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_CIMValue.hpp"
#include "OW_DateTime.hpp"
#include "OW_Exception.hpp"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>

using namespace OpenWBEM;

namespace
{

const char kSpecialChars[] = ";()[]*$#|";
const char kProgressSeparators[] = "\n\t";
const char kProgressStatusParameter[] = "Status";

// Method names and the in-parameter counts they require.
const char kGetViaFtp[] = "GetViaFtp";
const char kGetViaHttp[] = "GetViaHttp";
const char kGetViaSamba[] = "GetViaSamba";
const char kGetViaUsb[] = "GetViaUsb";
const char kGetViaHardDrive[] = "GetViaHardDrive";
const char kGetViaElementManager[] = "GetViaElementManager";
const char kGetProgress[] = "GetProgress";
const char kApply[] = "Apply";
const char kWarnings[] = "Warnings";
const char kHasOptionalComponents[] = "HasOptionalComponents";
const char kAddToSchedule[] = "AddToSchedule";

const size_t kAddressAndTextsCount = 4;
const size_t kAddressFlagAndTextsCount = 5;
const size_t kPathCount = 1;
const size_t kNoParametersCount = 0;
const size_t kScheduleTimesCount = 2;

// Refuses a wrong parameter count with the status the method has always answered with.
void RequireCount(const CIMParamValueArray& in, size_t count, CIMException::ErrNoType refusal)
{
    if (in.size() != count)
    {
        OW_THROWCIM(refusal);
    }
}

// Whatever the library refuses while reading a parameter (no such position, a null value,
// another type) is the client's parameter at fault, and is answered as such.
String StringParameter(const CIMParamValueArray& in, size_t position)
{
    try
    {
        String value;
        in[position].getValue().get(value);
        return value;
    }
    catch (const Exception&)
    {
        OW_THROWCIM(CIMException::INVALID_PARAMETER);
    }
}

Bool BoolParameter(const CIMParamValueArray& in, size_t position)
{
    try
    {
        Bool value;
        in[position].getValue().get(value);
        return value;
    }
    catch (const Exception&)
    {
        OW_THROWCIM(CIMException::INVALID_PARAMETER);
    }
}

// The ctime-style local time the tool's schedule option reads.
String ScheduleTimeParameter(const CIMParamValueArray& in, size_t position)
{
    try
    {
        CIMDateTime value;
        in[position].getValue().get(value);
        String text = value.toDateTime().toString(DateTime::E_LOCAL_TIME);
        text.rtrim();
        return text;
    }
    catch (const Exception&)
    {
        OW_THROWCIM(CIMException::INVALID_PARAMETER);
    }
}

// "<option><address> '<t1>' '<t2>' '<t3>'". The texts hold no single quote (checked before),
// so their quotes keep each one a single word whatever else it holds.
String AddressAndTextsCommand(const char* option, const String& address, const String& text1,
                              const String& text2, const String& text3)
{
    String command(option);
    command += ShellQuote(address);
    command += " '";
    command += text1;
    command += "' '";
    command += text2;
    command += "' '";
    command += text3;
    command += "'";
    return command;
}

// The refusal of the network retrievals' arguments, or the empty text when they may go ahead.
String RefusalOfAddressAndTexts(const String& address, const String& text1, const String& text2,
                                const String& text3)
{
    if (hasQuote(text1) || hasQuote(text2) || hasQuote(text3))
    {
        return String(kInvalidParametersResult);
    }
    if (!isValidIPAddr(address))
    {
        return String(kInvalidIPAddressResult);
    }
    return String();
}

String StartInBackground(const String& command)
{
    SpawnBackgroundThread(command);
    return String();
}

// Puts the status text into the out-parameter "Status": into the entry the CIMOM prepared for
// it when there is one (a second entry of the same name breaks clients), else into a new one.
void SetStatusOutParameter(CIMParamValueArray& out, const String& status)
{
    for (size_t i = 0; i < out.size(); ++i)
    {
        if (out[i].getName().equalsIgnoreCase(kProgressStatusParameter))
        {
            out[i].setValue(CIMValue(status));
            return;
        }
    }
    out.append(CIMParamValue(kProgressStatusParameter, CIMValue(status)));
}

} // namespace

bool hasQuote(String text)
{
    return text.indexOf('\'') != String::npos;
}

bool hasSpecialChars(String text)
{
    for (size_t i = 0; i < text.length(); ++i)
    {
        char c = text.charAt(i);
        if (c != '\0' && std::strchr(kSpecialChars, c) != 0)
        {
            return true;
        }
    }
    return false;
}

bool isValidIPAddr(String text)
{
    struct in_addr address;
    return inet_aton(text.c_str(), &address) != 0;
}

String AvaliableUpdateProvider::GetViaFtp(const String& address, const String& text1,
                                          const String& text2, const String& text3)
{
    String refusal = RefusalOfAddressAndTexts(address, text1, text2, text3);
    if (!refusal.empty())
    {
        return refusal;
    }
    return StartInBackground(AddressAndTextsCommand(kSoftinvFtp, address, text1, text2, text3));
}

String AvaliableUpdateProvider::GetViaHttp(const String& address, const String& text1,
                                           const String& text2, const String& text3,
                                           const Bool& flag)
{
    String refusal = RefusalOfAddressAndTexts(address, text1, text2, text3);
    if (!refusal.empty())
    {
        return refusal;
    }
    String command = AddressAndTextsCommand(kSoftinvHttp, address, text1, text2, text3);
    command += " ";
    command += flag.toString();
    return StartInBackground(command);
}

String AvaliableUpdateProvider::GetViaSamba(const String& address, const String& text1,
                                            const String& text2, const String& text3)
{
    String refusal = RefusalOfAddressAndTexts(address, text1, text2, text3);
    if (!refusal.empty())
    {
        return refusal;
    }
    return StartInBackground(AddressAndTextsCommand(kSoftinvSamba, address, text1, text2, text3));
}

String AvaliableUpdateProvider::GetViaUsb(const String& path)
{
    if (hasSpecialChars(path))
    {
        return String(kInvalidParametersResult);
    }
    return StartInBackground(String(kSoftinvUsb) + ShellQuote(path));
}

String AvaliableUpdateProvider::GetViaHardDrive(const String& path)
{
    if (hasSpecialChars(path))
    {
        return String(kInvalidParametersResult);
    }
    return StartInBackground(String(kSoftinvHd) + ShellQuote(path));
}

String AvaliableUpdateProvider::GetViaElementManager()
{
    return StartInBackground(String(kSoftinvEm));
}

Int8 AvaliableUpdateProvider::GetProgress(String& status)
{
    String output;
    int exitCode = Execute(String(kSoftinvStatus), output);
    if (exitCode != 0)
    {
        ThrowSoftInvError(exitCode);
    }

    StringArray tokens = output.tokenize(kProgressSeparators);
    if (tokens.size() < 2)
    {
        status = kProgressParseFailedText;
        return kProgressUnreadable;
    }
    // Read the way atoi reads it, but a number past what a long holds is out of range rather
    // than some other number.
    errno = 0;
    long code = std::strtol(tokens[0].c_str(), 0, 10);
    if (errno == ERANGE || code < kProgressUnreadable || code > kProgressHighestCode)
    {
        status = kProgressBadCodeText;
        return kProgressUnreadable;
    }
    status = tokens[1];
    return static_cast<Int8>(code);
}

CIMValue AvaliableUpdateProvider::invokeMethod(const ProviderEnvironmentIFCRef& /*env*/,
                                               const String& /*ns*/, const CIMObjectPath& path,
                                               const String& methodName,
                                               const CIMParamValueArray& in,
                                               CIMParamValueArray& out)
{
    // The retrievals and progress polling act on no particular update: the path is not read.
    if (methodName.equals(kGetViaFtp))
    {
        RequireCount(in, kAddressAndTextsCount, CIMException::INVALID_PARAMETER);
        String address = StringParameter(in, 0);
        String text1 = StringParameter(in, 1);
        String text2 = StringParameter(in, 2);
        String text3 = StringParameter(in, 3);
        return CIMValue(GetViaFtp(address, text1, text2, text3));
    }
    if (methodName.equals(kGetViaHttp))
    {
        RequireCount(in, kAddressFlagAndTextsCount, CIMException::INVALID_PARAMETER);
        String address = StringParameter(in, 0);
        Bool flag = BoolParameter(in, 1);
        String text1 = StringParameter(in, 2);
        String text2 = StringParameter(in, 3);
        String text3 = StringParameter(in, 4);
        return CIMValue(GetViaHttp(address, text1, text2, text3, flag));
    }
    if (methodName.equals(kGetViaSamba))
    {
        RequireCount(in, kAddressAndTextsCount, CIMException::FAILED);
        String address = StringParameter(in, 0);
        String text1 = StringParameter(in, 1);
        String text2 = StringParameter(in, 2);
        String text3 = StringParameter(in, 3);
        return CIMValue(GetViaSamba(address, text1, text2, text3));
    }
    if (methodName.equals(kGetViaUsb))
    {
        RequireCount(in, kPathCount, CIMException::INVALID_PARAMETER);
        return CIMValue(GetViaUsb(StringParameter(in, 0)));
    }
    if (methodName.equals(kGetViaHardDrive))
    {
        RequireCount(in, kPathCount, CIMException::FAILED);
        return CIMValue(GetViaHardDrive(StringParameter(in, 0)));
    }
    if (methodName.equals(kGetViaElementManager))
    {
        RequireCount(in, kNoParametersCount, CIMException::FAILED);
        return CIMValue(GetViaElementManager());
    }
    if (methodName.equals(kGetProgress))
    {
        String status;
        Int8 code = GetProgress(status);
        OutputDebug("GetProgress: %d %s", static_cast<int>(code), status.c_str());
        SetStatusOutParameter(out, status);
        return CIMValue(code);
    }

    // The path is resolved before the method name is known, so a stale path is reported as such
    // whatever the method.
    AvaliableUpdate update = FindAvaliableUpdate(path);
    if (methodName.equals(kApply))
    {
        RequireCount(in, kNoParametersCount, CIMException::INVALID_PARAMETER);
        return CIMValue(update.Apply());
    }
    if (methodName.equals(kWarnings))
    {
        RequireCount(in, kNoParametersCount, CIMException::INVALID_PARAMETER);
        return CIMValue(update.Warnings());
    }
    if (methodName.equals(kHasOptionalComponents))
    {
        RequireCount(in, kNoParametersCount, CIMException::INVALID_PARAMETER);
        return CIMValue(update.HasOptionalComponents());
    }
    if (methodName.equals(kAddToSchedule))
    {
        RequireCount(in, kScheduleTimesCount, CIMException::INVALID_PARAMETER);
        String start = ScheduleTimeParameter(in, 0);
        String end = ScheduleTimeParameter(in, 1);
        return CIMValue(update.Schedule(start, end));
    }
    OW_THROWCIM(CIMException::METHOD_NOT_FOUND);
}
