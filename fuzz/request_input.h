// How the request fuzz targets read their input: three header lines (CIMOperation, CIMMethod,
// CIMObject, as sent, escapes included) and then the body, so a corpus file looks like the
// interesting part of a captured request.
// Thread-safety: a pure function.
#pragma once

#include "service.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz
{

inline cimom::CimRequest requestFromInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string headers[3];
    size_t pos = 0;
    for (std::string& header : headers)
    {
        const size_t end = input.find('\n', pos);
        if (end == std::string::npos)
        {
            header = input.substr(pos);
            pos = input.size();
            break;
        }
        header = input.substr(pos, end - pos);
        pos = end + 1;
    }
    cimom::CimRequest request;
    request.cimOperation = headers[0];
    request.cimMethod = headers[1];
    request.cimObject = headers[2];
    request.body = input.substr(pos);
    request.caller.user = "fuzzer";
    request.caller.role = cimom::Role::Admin;
    request.caller.address = "127.0.0.1";
    return request;
}

} // namespace fuzz
