// A shared-ownership smart pointer for classes that carry their own count by deriving from
// IntrusiveCountableBase (virtually, where several bases do). The last reference to go deletes
// the object, and a raw pointer can be turned back into a reference that shares the count.
// Thread-safety: atomic count; references to one object may live on different threads.
#ifndef OW_INTRUSIVEREFERENCE_HPP_INCLUDE_GUARD_
#define OW_INTRUSIVEREFERENCE_HPP_INCLUDE_GUARD_
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

class IntrusiveCountableBase
{
protected:
    IntrusiveCountableBase() : m_useCount(0) {}
    // A copy is a new object: it starts with no references of its own.
    IntrusiveCountableBase(const IntrusiveCountableBase&) : m_useCount(0) {}
    IntrusiveCountableBase& operator=(const IntrusiveCountableBase&) { return *this; }
    virtual ~IntrusiveCountableBase() {}

public:
    friend void IntrusiveReferenceAddRef(IntrusiveCountableBase* p)
    {
        __atomic_add_fetch(&p->m_useCount, 1, __ATOMIC_RELAXED);
    }
    friend void IntrusiveReferenceRelease(IntrusiveCountableBase* p)
    {
        if (__atomic_sub_fetch(&p->m_useCount, 1, __ATOMIC_ACQ_REL) == 0)
        {
            delete p;
        }
    }

private:
    long m_useCount;
};

template <class T> class IntrusiveReference
{
public:
    typedef T element_type;

    IntrusiveReference() : m_pObj(0) {}
    IntrusiveReference(T* p, bool add_ref = true) : m_pObj(p)
    {
        if (m_pObj != 0 && add_ref)
        {
            IntrusiveReferenceAddRef(m_pObj);
        }
    }
    template <class U> IntrusiveReference(const IntrusiveReference<U>& rhs) : m_pObj(rhs.get())
    {
        if (m_pObj != 0)
        {
            IntrusiveReferenceAddRef(m_pObj);
        }
    }
    IntrusiveReference(const IntrusiveReference& rhs) : m_pObj(rhs.m_pObj)
    {
        if (m_pObj != 0)
        {
            IntrusiveReferenceAddRef(m_pObj);
        }
    }
    ~IntrusiveReference()
    {
        if (m_pObj != 0)
        {
            IntrusiveReferenceRelease(m_pObj);
        }
    }

    template <class U> IntrusiveReference& operator=(const IntrusiveReference<U>& rhs)
    {
        IntrusiveReference(rhs).swap(*this);
        return *this;
    }
    IntrusiveReference& operator=(const IntrusiveReference& rhs)
    {
        IntrusiveReference(rhs).swap(*this);
        return *this;
    }
    IntrusiveReference& operator=(T* rhs)
    {
        IntrusiveReference(rhs).swap(*this);
        return *this;
    }

    T* get() const { return m_pObj; }
    // Dereferencing an empty reference throws NULLReferenceException rather than crashing
    // the process that hosts the caller.
    T& operator*() const
    {
        checkNull();
        return *m_pObj;
    }
    T* operator->() const
    {
        checkNull();
        return m_pObj;
    }

    typedef T* IntrusiveReference::*unspecified_bool_type;
    operator unspecified_bool_type() const { return m_pObj == 0 ? 0 : &IntrusiveReference::m_pObj; }
    bool operator!() const { return m_pObj == 0; }
    void swap(IntrusiveReference& rhs)
    {
        T* tmp = m_pObj;
        m_pObj = rhs.m_pObj;
        rhs.m_pObj = tmp;
    }

private:
    void checkNull() const
    {
#ifdef OW_CHECK_NULL_REFERENCES
        if (m_pObj == 0)
        {
            ReferenceHelpers::throwNULLException();
        }
#endif
    }

    T* m_pObj;
};

template <class T, class U>
inline bool operator==(const IntrusiveReference<T>& a, const IntrusiveReference<U>& b)
{
    return a.get() == b.get();
}
template <class T, class U>
inline bool operator!=(const IntrusiveReference<T>& a, const IntrusiveReference<U>& b)
{
    return a.get() != b.get();
}
template <class T> inline bool operator==(const IntrusiveReference<T>& a, T* b)
{
    return a.get() == b;
}
template <class T> inline bool operator!=(const IntrusiveReference<T>& a, T* b)
{
    return a.get() != b;
}
template <class T> inline bool operator==(T* a, const IntrusiveReference<T>& b)
{
    return a == b.get();
}
template <class T> inline bool operator!=(T* a, const IntrusiveReference<T>& b)
{
    return a != b.get();
}
template <class T>
inline bool operator<(const IntrusiveReference<T>& a, const IntrusiveReference<T>& b)
{
    return a.get() < b.get();
}
template <class T> void swap(IntrusiveReference<T>& lhs, IntrusiveReference<T>& rhs)
{
    lhs.swap(rhs);
}

template <class T, class U>
IntrusiveReference<T> static_pointer_cast(const IntrusiveReference<U>& p)
{
    return static_cast<T*>(p.get());
}
template <class T, class U> IntrusiveReference<T> const_pointer_cast(const IntrusiveReference<U>& p)
{
    return const_cast<T*>(p.get());
}
template <class T, class U>
IntrusiveReference<T> dynamic_pointer_cast(const IntrusiveReference<U>& p)
{
    return dynamic_cast<T*>(p.get());
}

} // end namespace OpenWBEM

#endif
