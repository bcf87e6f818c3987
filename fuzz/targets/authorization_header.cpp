// The Authorization header the front end reads before anything else: a Basic header is either
// refused or gives a user and password that, encoded again, give the same header back.
#include "fuzz_target.h"

#include "auth.h"

#include <string>

namespace
{

const char kBasicScheme[] = "Basic ";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string header(reinterpret_cast<const char*>(data), size);

    const auto decoded = cimom::decodeBase64(header);
    if (decoded)
    {
        fuzz::check(cimom::encodeBase64(*decoded) == header,
                    "base64 text that does not encode back to itself", size);
    }

    const auto credentials = cimom::parseBasicAuthorization(header);
    if (!credentials)
    {
        return 0;
    }
    fuzz::check(credentials->user.find(':') == std::string::npos,
                "a user name holding the separator", size);
    const std::string again =
        kBasicScheme + cimom::encodeBase64(credentials->user + ":" + credentials->password);
    const auto reparsed = cimom::parseBasicAuthorization(again);
    fuzz::check(reparsed && reparsed->user == credentials->user &&
                    reparsed->password == credentials->password,
                "credentials that do not survive encoding", size);
    cimom::isValidUserName(credentials->user);
    return 0;
}
