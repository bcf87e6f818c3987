// A reference to an object created by code in a dynamically loaded library, bundled with a
// reference to that library, so the library stays loaded for as long as the object lives and
// is released only after the object is gone.
// Thread-safety: like the reference it wraps; one instance is not modified concurrently.
#ifndef OW_SHAREDLIBRARYREFERENCE_HPP_INCLUDE_GUARD_
#define OW_SHAREDLIBRARYREFERENCE_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Reference.hpp"

namespace OpenWBEM
{

// A loaded library. The loader derives from it and releases the library in its destructor.
class SharedLibrary
{
public:
    virtual ~SharedLibrary();

protected:
    SharedLibrary() {}

private:
    // One object stands for one load; a copy would release the library twice.
    SharedLibrary(const SharedLibrary&);
    SharedLibrary& operator=(const SharedLibrary&);
};

typedef Reference<SharedLibrary> SharedLibraryRef;

template <class T> class SharedLibraryReference
{
public:
    SharedLibraryReference() : m_sharedLib(), m_obj() {}

    SharedLibraryReference(const SharedLibraryRef& lib, const T& obj) : m_sharedLib(lib), m_obj(obj)
    {
    }

    SharedLibraryReference(const SharedLibraryReference<T>& arg)
        : m_sharedLib(arg.m_sharedLib), m_obj(arg.m_obj)
    {
    }

    // Members are declared library first, so the object is always released before the
    // library that holds its code.
    ~SharedLibraryReference() {}

    // Memberwise assignment would drop the old library before the old object; swapping
    // through a copy releases the old pair in the safe order instead.
    SharedLibraryReference<T>& operator=(const SharedLibraryReference<T>& arg)
    {
        SharedLibraryReference<T> tmp(arg);
        tmp.m_sharedLib.swap(m_sharedLib);
        tmp.m_obj.swap(m_obj);
        return *this;
    }

    SharedLibraryRef getLibRef() const { return m_sharedLib; }

    // Returns the wrapped reference; the language applies its operator-> in turn.
    const T& operator->() const { return m_obj; }

    T get() const { return m_obj; }

    bool isNull() const { return !m_obj; }

    void setNull()
    {
        m_obj = T();
        m_sharedLib = SharedLibraryRef();
    }

private:
    typedef T SharedLibraryReference::*safe_bool;

public:
    operator safe_bool() const { return isNull() ? 0 : &SharedLibraryReference::m_obj; }

    bool operator!() const { return isNull(); }

private:
    SharedLibraryRef m_sharedLib;
    T m_obj;
};

} // end namespace OpenWBEM

#endif
