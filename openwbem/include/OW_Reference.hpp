// A shared-ownership smart pointer whose count lives beside the object, so any class can be
// held. The last Reference to go deletes the object. Dereferencing an empty Reference throws
// NULLReferenceException instead of crashing.
// Thread-safety: atomic count; references to one object may live on different threads.
#ifndef OW_REFERENCE_HPP_INCLUDE_GUARD_
#define OW_REFERENCE_HPP_INCLUDE_GUARD_
#include "OW_config.h"

namespace OpenWBEM
{

namespace ReferenceHelpers
{
// Raises the library's NULLReferenceException ("NULL Reference dereferenced").
void throwNULLException()
#ifdef __GNUC__
    __attribute__((noreturn))
#endif
    ;
} // end namespace ReferenceHelpers

template <class T> class Reference
{
public:
    typedef T element_type;

    Reference() : m_pObj(0), m_pCount(0) {}
    explicit Reference(T* ptr) : m_pObj(ptr), m_pCount(ptr ? new long(1) : 0) {}
    Reference(const Reference<T>& arg) : m_pObj(arg.m_pObj), m_pCount(arg.m_pCount) { incRef(); }
    template <class U>
    Reference(const Reference<U>& arg) : m_pObj(arg.m_pObj), m_pCount(arg.m_pCount)
    {
        incRef();
    }
    ~Reference() { decRef(); }

    Reference<T>& operator=(const Reference<T>& arg)
    {
        Reference<T>(arg).swap(*this);
        return *this;
    }
    Reference<T>& operator=(T* newObj)
    {
        Reference<T>(newObj).swap(*this);
        return *this;
    }
    void swap(Reference<T>& arg)
    {
        T* p = m_pObj;
        m_pObj = arg.m_pObj;
        arg.m_pObj = p;
        long* c = m_pCount;
        m_pCount = arg.m_pCount;
        arg.m_pCount = c;
    }

    T* operator->() const
    {
        checkNull();
        return m_pObj;
    }
    T& operator*() const
    {
        checkNull();
        return *m_pObj;
    }
    T* getPtr() const { return m_pObj; }
    bool isNull() const { return m_pObj == 0; }

    typedef T* Reference::*safe_bool;
    operator safe_bool() const { return m_pObj ? &Reference::m_pObj : 0; }
    bool operator!() const { return m_pObj == 0; }

    // Shares ownership with *this when the object is a U; otherwise an empty Reference.
    template <class U> Reference<U> cast_to() const
    {
        Reference<U> rval;
        U* p = dynamic_cast<U*>(m_pObj);
        if (p)
        {
            rval.m_pObj = p;
            rval.m_pCount = m_pCount;
            rval.incRef();
        }
        return rval;
    }

private:
    template <class U> friend class Reference;

    void checkNull() const
    {
#ifdef OW_CHECK_NULL_REFERENCES
        if (m_pObj == 0)
        {
            ReferenceHelpers::throwNULLException();
        }
#endif
    }
    void incRef()
    {
        if (m_pCount)
        {
            __atomic_add_fetch(m_pCount, 1, __ATOMIC_RELAXED);
        }
    }
    void decRef()
    {
        if (m_pCount && __atomic_sub_fetch(m_pCount, 1, __ATOMIC_ACQ_REL) == 0)
        {
            delete m_pCount;
            delete m_pObj;
        }
        m_pCount = 0;
        m_pObj = 0;
    }

    T* m_pObj;
    long* m_pCount;
};

template <class T, class U> inline bool operator==(const Reference<T>& a, const Reference<U>& b)
{
    return a.getPtr() == b.getPtr();
}
template <class T, class U> inline bool operator!=(const Reference<T>& a, const Reference<U>& b)
{
    return a.getPtr() != b.getPtr();
}
template <class T, class U> inline bool operator<(const Reference<T>& a, const Reference<U>& b)
{
    return a.getPtr() < b.getPtr();
}

} // end namespace OpenWBEM

#endif
