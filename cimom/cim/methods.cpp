// Extrinsic method calls: the existence check of the target instance, the declared-method
// check, parameters put into declared order and typed, the out-parameter array prepared the
// way the reference CIMOM prepares it, then the method provider's invokeMethod.
#include "cim/service.h"

#include "cim/typing.h"

#include "OW_CIMObjectPath.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_CppMethodProviderIFC.hpp"

#include <strings.h>

namespace cimom
{

namespace
{

using OpenWBEM::CIMException;
using OpenWBEM::CIMValue;

bool sameName(const std::string& a, const std::string& b)
{
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

// A client's parameter value as the declared type.
CIMValue typedParameter(const WireParam& given, const ParameterDecl& declared)
{
    CIMValue value(OpenWBEM::CIMNULL);
    switch (given.value.kind)
    {
    case WireValue::Kind::Null:
        return value;
    case WireValue::Kind::Value:
        value = given.value.value;
        break;
    case WireValue::Kind::ClassName:
        value = CIMValue(OpenWBEM::CIMObjectPath(owString(given.value.className)));
        break;
    case WireValue::Kind::InstanceName:
        value = CIMValue(given.value.path);
        break;
    case WireValue::Kind::Instance:
        value = CIMValue(given.value.instance);
        break;
    default:
        throwCim(CIMException::INVALID_PARAMETER,
                 "Parameter " + declared.name + ": " + given.value.element + " is not supported");
    }
    try
    {
        return castToDeclared(value, declared.type);
    }
    catch (const OpenWBEM::Exception& e)
    {
        throwCim(CIMException::INVALID_PARAMETER, castFailure(e));
    }
}

// The client's parameters in declared order, one entry per IN parameter.
OpenWBEM::CIMParamValueArray orderedInParameters(const MethodDecl& method,
                                                 const std::vector<WireParam>& params)
{
    std::vector<const WireParam*> unused;
    for (const WireParam& p : params)
    {
        unused.push_back(&p);
    }
    OpenWBEM::CIMParamValueArray in;
    for (const ParameterDecl& declared : method.parameters)
    {
        if (!declared.isIn())
        {
            continue;
        }
        auto given = unused.begin();
        while (given != unused.end() && !sameName((*given)->name, declared.name))
        {
            ++given;
        }
        if (given == unused.end())
        {
            if (declared.isRequired())
            {
                throwCim(CIMException::INVALID_PARAMETER,
                         "Parameter " + declared.name + " was not specified.");
            }
            in.push_back(OpenWBEM::CIMParamValue(owString(declared.name)));
            continue;
        }
        const CIMValue value = typedParameter(**given, declared);
        in.push_back(value ? OpenWBEM::CIMParamValue(owString(declared.name), value)
                           : OpenWBEM::CIMParamValue(owString(declared.name)));
        unused.erase(given);
    }
    // Whatever is left was not declared as IN, or was given twice.
    if (!unused.empty())
    {
        throwCim(CIMException::INVALID_PARAMETER,
                 "Unknown or duplicate parameter: " + unused.front()->name);
    }
    return in;
}

// One entry per declared OUT parameter, holding the in value where it is also IN.
OpenWBEM::CIMParamValueArray preparedOutParameters(const MethodDecl& method,
                                                   const OpenWBEM::CIMParamValueArray& in)
{
    OpenWBEM::CIMParamValueArray out;
    for (const ParameterDecl& declared : method.parameters)
    {
        if (!declared.isOut())
        {
            continue;
        }
        OpenWBEM::CIMParamValue entry(owString(declared.name));
        for (const OpenWBEM::CIMParamValue& given : in)
        {
            if (declared.isIn() && given.getName().equalsIgnoreCase(owString(declared.name)) &&
                given.getValue())
            {
                entry.setValue(given.getValue());
            }
        }
        out.push_back(entry);
    }
    return out;
}

// A provider that appends a filled entry instead of filling the prepared one leaves two
// entries of one name; a duplicate PARAMVALUE breaks clients, so each name is sent once, with
// the last value the provider gave it.
std::vector<std::pair<std::string, CIMValue>>
mergedOutParameters(const OpenWBEM::CIMParamValueArray& out)
{
    std::vector<std::pair<std::string, CIMValue>> merged;
    for (const OpenWBEM::CIMParamValue& entry : out)
    {
        if (!entry)
        {
            continue;
        }
        const std::string name = entry.getName().c_str();
        auto found = merged.begin();
        while (found != merged.end() && !sameName(found->first, name))
        {
            ++found;
        }
        if (found == merged.end())
        {
            merged.emplace_back(name, entry.getValue());
        }
        else if (entry.getValue())
        {
            found->second = entry.getValue();
        }
    }
    return merged;
}

} // namespace

std::string invokeMethod(Dispatch& d)
{
    const ClassDecl& cls = d.requireClass(d.call.target.getClassName().c_str(), CIMException::NOT_FOUND);
    OpenWBEM::CIMObjectPath path = d.call.target;
    path.setNameSpace(d.ns());
    if (path.isInstancePath())
    {
        path = castKeys(path, cls);
        // Any failure to read the instance, a provider's CIM_ERR_FAILED included, answers
        // CIM_ERR_NOT_FOUND, as OpenWBEM's daemon does before every method call on an instance
        // path (Static methods too): clients written against it rely on that answer.
        try
        {
            d.fetchInstance(path, cls, false, false, false, nullptr);
        }
        catch (const CIMException&)
        {
            throwCim(CIMException::NOT_FOUND,
                     "Instance not found: " + std::string(path.toString().c_str()));
        }
    }
    const MethodDecl* method = cls.method(d.call.method);
    if (method == nullptr)
    {
        throwCim(CIMException::METHOD_NOT_FOUND, d.call.method);
    }
    const OpenWBEM::CIMParamValueArray in = orderedInParameters(*method, d.call.params);
    OpenWBEM::CIMParamValueArray out = preparedOutParameters(*method, in);

    const std::string id = cls.providerId();
    if (id.empty())
    {
        throwCim(CIMException::METHOD_NOT_AVAILABLE, "no provider serves class " + cls.name);
    }
    OpenWBEM::CppMethodProviderIFC* mp =
        callProvider(d.providers, [&] { return d.providers.provider(id).getMethodProvider(); });
    if (mp == nullptr)
    {
        throwCim(CIMException::METHOD_NOT_AVAILABLE,
                 "provider " + id + " serves no methods of " + cls.name);
    }
    const CIMValue result = callProvider(
        d.providers,
        [&] { return mp->invokeMethod(d.env, d.ns(), path, owString(method->name), in, out); });

    std::string body;
    CimXmlWriter writer = d.writer(body);
    if (result)
    {
        body += "<RETURNVALUE>";
        writer.value(result);
        body += "</RETURNVALUE>";
    }
    for (const auto& [name, value] : mergedOutParameters(out))
    {
        const ParameterDecl* declared = method->parameter(name);
        writer.paramValue(name, value, declared != nullptr ? &declared->type : nullptr);
    }
    return body;
}

} // namespace cimom
