// Registration data a provider reports when the CIMOM asks which classes it instruments:
// the class names, optionally limited to some namespaces, and the provider's name.
// Thread-safety: plain values; not shared between threads while being filled.
#ifndef OW_PROVIDERINFOBASE_HPP_INCLUDE_GUARD_
#define OW_PROVIDERINFOBASE_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_String.hpp"
#include "OW_Array.hpp"

namespace OpenWBEM
{

// One instrumented class; an empty namespace list means every namespace.
struct InstClassInfo
{
    explicit InstClassInfo(String const& className_) : className(className_), namespaces() {}
    InstClassInfo(String const& className_, StringArray const& namespaces_)
        : className(className_), namespaces(namespaces_)
    {
    }

    String className;
    StringArray namespaces;
};

template <class ClassInfoT> class ProviderInfoBase
{
public:
    typedef ClassInfoT ClassInfo;
    typedef Array<ClassInfoT> ClassInfoArray;

    virtual ~ProviderInfoBase() {}

    // Registers the class for every namespace.
    void addInstrumentedClass(String const& className)
    {
        m_instrumentedClasses.push_back(ClassInfoT(className));
    }

    void addInstrumentedClass(ClassInfoT const& classInfo)
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
