// Registration data of a method provider: the classes whose methods it serves, each
// optionally limited to some namespaces and some method names.
// Thread-safety: plain values; not shared between threads while being filled.
#ifndef OW_METHODPROVIDERINFO_HPP_INCLUDE_GUARD_
#define OW_METHODPROVIDERINFO_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_String.hpp"
#include "OW_Array.hpp"

namespace OpenWBEM
{

class MethodProviderInfo
{
public:
    // Empty namespace or method lists mean all of them.
    struct ClassInfo
    {
        explicit ClassInfo(String const& className_)
            : className(className_), namespaces(), methods()
        {
        }
        ClassInfo(String const& className_, StringArray const& namespaces_,
                  StringArray const& methods_)
            : className(className_), namespaces(namespaces_), methods(methods_)
        {
        }

        String className;
        StringArray namespaces;
        StringArray methods;
    };

    typedef Array<ClassInfo> ClassInfoArray;

    virtual ~MethodProviderInfo() {}

    // Registers every method of the class, in every namespace.
    void addInstrumentedClass(String const& className)
    {
        m_instrumentedClasses.push_back(ClassInfo(className));
    }

    void addInstrumentedClass(ClassInfo const& classInfo)
    {
        m_instrumentedClasses.push_back(classInfo);
    }

    const ClassInfoArray& getClassInfo() const { return m_instrumentedClasses; }

    void setProviderName(String const& name) { m_name = name; }

    String getProviderName() const { return m_name; }

private:
    ClassInfoArray m_instrumentedClasses;
    String m_name;
};

} // end namespace OpenWBEM

#endif
