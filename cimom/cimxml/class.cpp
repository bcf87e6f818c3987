// Class definitions in CIM-XML (GetClass, EnumerateClasses): qualifiers with their
// flavours, properties, methods and parameters, trimmed to what the request asked for.
#include "cimxml/response.h"

#include "cim/typing.h"

#include <strings.h>

namespace cimom
{

namespace
{

using OpenWBEM::CIMDataType;

bool inPropertyList(const ClassView& view, const std::string& name)
{
    if (!view.propertyList)
    {
        return true;
    }
    for (const std::string& listed : *view.propertyList)
    {
        if (strcasecmp(listed.c_str(), name.c_str()) == 0)
        {
            return true;
        }
    }
    return false;
}

bool isLocal(const std::string& origin, const ClassDecl& cls)
{
    return origin.empty() || strcasecmp(origin.c_str(), cls.name.c_str()) == 0;
}

} // namespace

void CimXmlWriter::qualifiers(const std::vector<QualifierDecl>& quals, const ClassView& view)
{
    if (!view.includeQualifiers)
    {
        return;
    }
    for (const QualifierDecl& q : quals)
    {
        out_ += "<QUALIFIER NAME=\"";
        attr(q.name);
        out_ += "\" TYPE=\"";
        out_ += q.value ? cimTypeName(q.value.getType()) : "string";
        out_ += "\" ";
        if (q.propagated)
        {
            out_ += "PROPAGATED=\"true\" ";
        }
        if (!q.overridable)
        {
            out_ += "OVERRIDABLE=\"false\" ";
        }
        if (!q.toSubclass)
        {
            out_ += "TOSUBCLASS=\"false\" ";
        }
        if (q.translatable)
        {
            out_ += "TRANSLATABLE=\"true\" ";
        }
        out_ += ">";
        value(q.value);
        out_ += "</QUALIFIER>";
    }
}

void CimXmlWriter::parameter(const ParameterDecl& param, const ClassView& view)
{
    const bool isRef = param.type.type == CIMDataType::REFERENCE;
    const char* element = isRef
                              ? (param.type.isArray ? "PARAMETER.REFARRAY" : "PARAMETER.REFERENCE")
                              : (param.type.isArray ? "PARAMETER.ARRAY" : "PARAMETER");
    out_ += std::string("<") + element + " ";
    if (isRef)
    {
        out_ += "REFERENCECLASS=\"";
        attr(param.type.referenceClass);
    }
    else
    {
        out_ += "TYPE=\"";
        out_ += cimTypeName(param.type.type);
    }
    out_ += "\"  NAME=\"";
    attr(param.name);
    out_ += "\"";
    if (param.type.isArray && param.type.arraySize > 0)
    {
        out_ += " ARRAYSIZE=\"" + std::to_string(param.type.arraySize) + "\"";
    }
    out_ += ">";
    qualifiers(param.qualifiers, view);
    out_ += std::string("</") + element + ">";
}

void CimXmlWriter::classDecl(const ClassDecl& cls, const ClassView& view)
{
    out_ += "<CLASS NAME=\"";
    attr(cls.name);
    out_ += "\"";
    if (!cls.superClass.empty())
    {
        out_ += " SUPERCLASS=\"";
        attr(cls.superClass);
        out_ += "\"";
    }
    out_ += ">";
    qualifiers(cls.qualifiers, view);
    for (const PropertyDecl& p : cls.properties)
    {
        if ((view.localOnly && !isLocal(p.classOrigin, cls)) || !inPropertyList(view, p.name))
        {
            continue;
        }
        const bool isRef = p.type.type == CIMDataType::REFERENCE && !p.type.isArray;
        const char* element = isRef            ? "PROPERTY.REFERENCE"
                              : p.type.isArray ? "PROPERTY.ARRAY"
                                               : "PROPERTY";
        out_ += std::string("<") + element + " NAME=\"";
        attr(p.name);
        out_ += "\" ";
        if (isRef)
        {
            out_ += "REFERENCECLASS=\"";
            attr(p.type.referenceClass);
        }
        else
        {
            out_ += "TYPE=\"";
            out_ += cimTypeName(p.type.type);
        }
        out_ += "\" ";
        if (p.type.isArray && p.type.arraySize > 0)
        {
            out_ += "ARRAYSIZE=\"" + std::to_string(p.type.arraySize) + "\" ";
        }
        if (view.includeClassOrigin && !p.classOrigin.empty())
        {
            out_ += "CLASSORIGIN=\"";
            attr(p.classOrigin);
            out_ += "\" ";
        }
        if (!isLocal(p.classOrigin, cls))
        {
            out_ += "PROPAGATED=\"true\" ";
        }
        out_ += ">";
        qualifiers(p.qualifiers, view);
        value(p.defaultValue);
        out_ += std::string("</") + element + ">";
    }
    for (const MethodDecl& m : cls.methods)
    {
        if (view.localOnly && !isLocal(m.classOrigin, cls))
        {
            continue;
        }
        out_ += "<METHOD NAME=\"";
        attr(m.name);
        out_ += "\" TYPE=\"";
        out_ += cimTypeName(m.returnType.type);
        out_ += "\" ";
        if (view.includeClassOrigin && !m.classOrigin.empty())
        {
            out_ += "CLASSORIGIN=\"";
            attr(m.classOrigin);
            out_ += "\" ";
        }
        if (!isLocal(m.classOrigin, cls))
        {
            out_ += "PROPAGATED=\"true\" ";
        }
        out_ += ">";
        qualifiers(m.qualifiers, view);
        for (const ParameterDecl& param : m.parameters)
        {
            parameter(param, view);
        }
        out_ += "</METHOD>";
    }
    out_ += "</CLASS>";
}

} // namespace cimom
