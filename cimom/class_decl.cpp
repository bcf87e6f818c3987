// The class model's lookups and its conversion into the provider API's CIMClass.
#include "repository.h"

#include "mof/lexer.h"

#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_CIMClass.hpp"
#include "OW_CIMProperty.hpp"
#include "OW_CIMQualifier.hpp"
#include "OW_String.hpp"

namespace cimom
{

namespace
{

const char kCppProviderPrefix[] = "c++::";

template <class T> const T* findNamed(const std::vector<T>& items, const std::string& name)
{
    for (const T& item : items)
    {
        if (mof::equalsIgnoreCase(item.name, name))
        {
            return &item;
        }
    }
    return nullptr;
}

bool isTrue(const QualifierDecl* q)
{
    return q && q->value && q->value.getType() == OpenWBEM::CIMDataType::BOOLEAN &&
           !q->value.isArray() && bool(q->value.toBool());
}

OpenWBEM::String owString(const std::string& text)
{
    return OpenWBEM::String(text.c_str(), text.size());
}

OpenWBEM::CIMQualifierArray toCIMQualifiers(const std::vector<QualifierDecl>& qualifiers)
{
    OpenWBEM::CIMQualifierArray out;
    for (const QualifierDecl& q : qualifiers)
    {
        OpenWBEM::CIMQualifier cq(owString(q.name));
        cq.setValue(q.value);
        cq.setPropagated(q.propagated);
        out.push_back(cq);
    }
    return out;
}

OpenWBEM::CIMDataType toCIMDataType(const TypeDecl& type)
{
    if (type.type == OpenWBEM::CIMDataType::REFERENCE)
    {
        return OpenWBEM::CIMDataType(owString(type.referenceClass));
    }
    if (type.isArray)
    {
        return OpenWBEM::CIMDataType(type.type, type.arraySize);
    }
    return OpenWBEM::CIMDataType(type.type);
}

} // namespace

MofError::MofError(const std::string& file, int line, const std::string& what)
    : std::runtime_error(line > 0 ? file + ":" + std::to_string(line) + ": " + what
                                  : file + ": " + what),
      file_(file), line_(line)
{
}

bool PropertyDecl::isKey() const
{
    return isTrue(qualifier("Key"));
}

const QualifierDecl* PropertyDecl::qualifier(const std::string& name) const
{
    return findNamed(qualifiers, name);
}

bool ParameterDecl::isIn() const
{
    const QualifierDecl* in = qualifier("IN");
    return !in || isTrue(in);
}

bool ParameterDecl::isOut() const
{
    return isTrue(qualifier("OUT"));
}

bool ParameterDecl::isRequired() const
{
    return isTrue(qualifier("Required"));
}

const QualifierDecl* ParameterDecl::qualifier(const std::string& name) const
{
    return findNamed(qualifiers, name);
}

const QualifierDecl* MethodDecl::qualifier(const std::string& name) const
{
    return findNamed(qualifiers, name);
}

const ParameterDecl* MethodDecl::parameter(const std::string& name) const
{
    return findNamed(parameters, name);
}

bool ClassDecl::isAssociation() const
{
    return isTrue(qualifier("Association"));
}

bool ClassDecl::isAbstract() const
{
    return isTrue(qualifier("Abstract"));
}

std::string ClassDecl::providerId() const
{
    const QualifierDecl* q = qualifier("Provider");
    if (!q || !q->value || q->value.getType() != OpenWBEM::CIMDataType::STRING ||
        q->value.isArray())
    {
        return std::string();
    }
    const std::string text = q->value.toString().c_str();
    const std::string prefix = kCppProviderPrefix;
    if (text.size() <= prefix.size() || text.compare(0, prefix.size(), prefix) != 0)
    {
        return std::string();
    }
    return text.substr(prefix.size());
}

const QualifierDecl* ClassDecl::qualifier(const std::string& name) const
{
    return findNamed(qualifiers, name);
}

const PropertyDecl* ClassDecl::property(const std::string& name) const
{
    return findNamed(properties, name);
}

const MethodDecl* ClassDecl::method(const std::string& name) const
{
    return findNamed(methods, name);
}

std::vector<const PropertyDecl*> ClassDecl::keys() const
{
    std::vector<const PropertyDecl*> out;
    for (const PropertyDecl& p : properties)
    {
        if (p.isKey())
        {
            out.push_back(&p);
        }
    }
    return out;
}

OpenWBEM::CIMClass ClassDecl::toCIMClass() const
{
    OpenWBEM::CIMClass cls(owString(name));
    cls.setSuperClass(owString(superClass));
    cls.setQualifiers(toCIMQualifiers(qualifiers));
    OpenWBEM::CIMPropertyArray props;
    for (const PropertyDecl& p : properties)
    {
        OpenWBEM::CIMProperty cp(owString(p.name), toCIMDataType(p.type));
        if (p.defaultValue)
        {
            cp.setValue(p.defaultValue);
        }
        cp.setQualifiers(toCIMQualifiers(p.qualifiers));
        cp.setOriginClass(owString(p.classOrigin));
        cp.setPropagated(!mof::equalsIgnoreCase(p.classOrigin, name));
        props.push_back(cp);
    }
    cls.setProperties(props);
    return cls;
}

} // namespace cimom
