// The request decoder alone: headers and a CIM-XML body from the fuzzer. A request is either
// decoded or refused with a ProtocolError carrying a 4xx/5xx status and a CIMError value;
// anything else escaping is a fault. Decoded paths and values must print without trouble.
#include "fuzz_target.h"
#include "request_input.h"

#include "cimxml/request.h"

#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMValue.hpp"
#include "OW_String.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const cimom::CimRequest request = fuzz::requestFromInput(data, size);
    cimom::CimCall call;
    try
    {
        call = cimom::decodeRequest(request);
    }
    catch (const cimom::ProtocolError& e)
    {
        fuzz::check(e.httpStatus() >= 400 && e.httpStatus() < 600,
                    "a refusal without an error status", size);
        fuzz::check(!e.cimError().empty(), "a refusal without a CIMError value", size);
        return 0;
    }
    fuzz::check(!call.method.empty(), "a decoded call without a method name", size);
    if (call.target)
    {
        call.target.toString();
    }
    for (const cimom::WireParam& param : call.params)
    {
        const cimom::WireValue& value = param.value;
        if (value.value)
        {
            value.value.toString();
        }
        if (value.path)
        {
            value.path.toString();
        }
        if (value.instance)
        {
            value.instance.toString();
        }
    }
    return 0;
}
