// Private helpers of the CIM object classes: the shared, copy-on-write data block behind each
// class's single pointer member, case-insensitive name lookup and the text escapes the text
// forms share.
// Thread-safety: the share count is atomic, so copies of one object may live on different
// threads; a data block is cloned before any write while it is shared.
#ifndef OW_SRC_CIMIMPL_HPP_INCLUDE_GUARD_
#define OW_SRC_CIMIMPL_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_String.hpp"
#include "NullExceptions.hpp"

#include <atomic>
#include <string>
#include <vector>

namespace OpenWBEM
{
namespace cimimpl
{

// Base of every data block. Copying a block (to un-share it) starts the copy's count at one.
struct Shared
{
    Shared() : shareCount(1) {}
    Shared(const Shared&) : shareCount(1) {}
    Shared& operator=(const Shared&) = delete;

    mutable std::atomic<long> shareCount;
};

template <class T> T* share(T* p)
{
    if (p)
    {
        p->shareCount.fetch_add(1, std::memory_order_relaxed);
    }
    return p;
}

template <class T> void release(T*& p)
{
    if (p && p->shareCount.fetch_sub(1, std::memory_order_acq_rel) == 1)
    {
        delete p;
    }
    p = nullptr;
}

// Assignment that survives self-assignment and aliasing.
template <class T> void assign(T*& dst, T* src)
{
    T* keep = share(src);
    release(dst);
    dst = keep;
}

// Read access: a null object's data may not be touched.
template <class T> const T& get(const T* p, const char* file, int line)
{
    if (!p)
    {
        throwNULLCOWReference(file, line);
    }
    return *p;
}

// Write access: un-shares the block first, so other copies never see the change.
template <class T> T& mut(T*& p, const char* file, int line)
{
    if (!p)
    {
        throwNULLCOWReference(file, line);
    }
    if (p->shareCount.load(std::memory_order_acquire) != 1)
    {
        T* own = new T(*p);
        release(p);
        p = own;
    }
    return *p;
}

#define OW_CIM_READ(ptr) (::OpenWBEM::cimimpl::get((ptr), __FILE__, __LINE__))
#define OW_CIM_WRITE(ptr) (::OpenWBEM::cimimpl::mut((ptr), __FILE__, __LINE__))

inline std::string str(const String& s)
{
    return std::string(s.c_str(), s.length());
}

inline String toOW(const std::string& s)
{
    return String(s.c_str(), s.size());
}

// Index of the first element whose getName() matches without regard to case, or -1.
template <class Seq> long findByName(const Seq& seq, const String& name)
{
    for (size_t i = 0; i < seq.size(); ++i)
    {
        if (seq[i].getName().equalsIgnoreCase(name))
        {
            return long(i);
        }
    }
    return -1;
}

// MOF string literal body: backslash, quote and control characters escaped.
std::string mofEscape(const std::string& in);

} // end namespace cimimpl
} // end namespace OpenWBEM

#endif
