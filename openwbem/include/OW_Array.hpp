// The API's sequence container: a std::vector with OpenWBEM's names on top (append, remove,
// appendArray) and index checking that throws OutOfBoundsException instead of reading
// outside the elements.
// Thread-safety: copies are independent; concurrent reads are safe, a write needs sole use.
#ifndef OW_ARRAY_HPP_INCLUDE_GUARD_
#define OW_ARRAY_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_ArrayFwd.hpp"
#include "OW_Types.hpp"
#include "OW_Exception.hpp"
#include <algorithm>
#include <cstddef>
#include <vector>

namespace OpenWBEM
{

// Message: "Array Index out of bounds. size = <N>, index = <I>".
OW_DECLARE_EXCEPTION(OutOfBounds);

// Raises OutOfBoundsException for an access at index in an array of the given size.
void throwArrayOutOfBoundsException(size_t size, size_t index)
#ifdef __GNUC__
    __attribute__((noreturn))
#endif
    ;

template <class T> class Array
{
    typedef std::vector<T> V;

public:
    typedef typename V::value_type value_type;
    typedef typename V::pointer pointer;
    typedef typename V::const_pointer const_pointer;
    typedef typename V::iterator iterator;
    typedef typename V::const_iterator const_iterator;
    typedef typename V::reference reference;
    typedef typename V::const_reference const_reference;
    typedef typename V::size_type size_type;
    typedef typename V::difference_type difference_type;
    typedef typename V::reverse_iterator reverse_iterator;
    typedef typename V::const_reverse_iterator const_reverse_iterator;

    Array() {}
    explicit Array(size_type n) : m_impl(n) {}
    // The int and long forms keep Array<int>(3, 7) away from the iterator-range constructor.
    Array(size_type n, const T& value) : m_impl(n, value) {}
    Array(int n, const T& value) : m_impl(size_type(n), value) {}
    Array(long n, const T& value) : m_impl(size_type(n), value) {}
    template <class InputIterator>
    Array(InputIterator first, InputIterator last) : m_impl(first, last)
    {
    }

    iterator begin()
    {
        beforeWrite();
        return m_impl.begin();
    }
    const_iterator begin() const { return m_impl.begin(); }
    iterator end()
    {
        beforeWrite();
        return m_impl.end();
    }
    const_iterator end() const { return m_impl.end(); }
    reverse_iterator rbegin()
    {
        beforeWrite();
        return m_impl.rbegin();
    }
    const_reverse_iterator rbegin() const { return m_impl.rbegin(); }
    reverse_iterator rend()
    {
        beforeWrite();
        return m_impl.rend();
    }
    const_reverse_iterator rend() const { return m_impl.rend(); }

    size_type size() const { return m_impl.size(); }
    size_type max_size() const { return m_impl.max_size(); }
    size_type capacity() const { return m_impl.capacity(); }
    bool empty() const { return m_impl.empty(); }
    void reserve(size_type n)
    {
        beforeWrite();
        m_impl.reserve(n);
    }

    reference operator[](size_type ndx)
    {
        beforeWrite();
        checkIndex(ndx);
        return m_impl[ndx];
    }
    const_reference operator[](size_type ndx) const
    {
        checkIndex(ndx);
        return m_impl[ndx];
    }
    // On an empty array these throw rather than touch memory that holds no element.
    reference front()
    {
        beforeWrite();
        checkIndex(0);
        return m_impl.front();
    }
    const_reference front() const
    {
        checkIndex(0);
        return m_impl.front();
    }
    reference back()
    {
        beforeWrite();
        checkIndex(0);
        return m_impl.back();
    }
    const_reference back() const
    {
        checkIndex(0);
        return m_impl.back();
    }

    void push_back(const T& x)
    {
        beforeWrite();
        m_impl.push_back(x);
    }
    void append(const T& x)
    {
        beforeWrite();
        m_impl.push_back(x);
    }
    Array<T>& operator+=(const T& x)
    {
        beforeWrite();
        m_impl.push_back(x);
        return *this;
    }
    void appendArray(const Array<T>& x)
    {
        beforeWrite();
        m_impl.insert(m_impl.end(), x.begin(), x.end());
    }
    void swap(Array<T>& x) { m_impl.swap(x.m_impl); }

    iterator erase(iterator position)
    {
        beforeWrite();
        return m_impl.erase(position);
    }
    iterator erase(iterator first, iterator last)
    {
        beforeWrite();
        return m_impl.erase(first, last);
    }
    iterator insert(iterator position, const T& x)
    {
        beforeWrite();
        return m_impl.insert(position, x);
    }
    // index may equal size() (append); beyond that it throws.
    void insert(size_type index, const T& x)
    {
        beforeWrite();
        if (index != m_impl.size())
        {
            checkIndex(index);
        }
        m_impl.insert(m_impl.begin() + difference_type(index), x);
    }
    template <class InputIterator>
    void insert(iterator position, InputIterator first, InputIterator last)
    {
        beforeWrite();
        m_impl.insert(position, first, last);
    }
    void remove(size_type index)
    {
        beforeWrite();
        checkIndex(index);
        m_impl.erase(m_impl.begin() + difference_type(index));
    }
    // Removes [begin, end).
    void remove(size_type begin, size_type end)
    {
        beforeWrite();
        if (begin > end)
        {
            throwArrayOutOfBoundsException(m_impl.size(), begin);
        }
        if (end > m_impl.size())
        {
            throwArrayOutOfBoundsException(m_impl.size(), end);
        }
        m_impl.erase(m_impl.begin() + difference_type(begin),
                     m_impl.begin() + difference_type(end));
    }
    void pop_back()
    {
        beforeWrite();
        checkIndex(0);
        m_impl.pop_back();
    }
    void clear()
    {
        beforeWrite();
        m_impl.clear();
    }
    void resize(size_type n)
    {
        beforeWrite();
        m_impl.resize(n);
    }
    void resize(size_type n, const T& x)
    {
        beforeWrite();
        m_impl.resize(n, x);
    }

private:
#ifdef OW_ARRAY_CLONE_BY_ADL
    // The real Array shares its vector between copies and clones it on the first write
    // through COWReferenceClone, which it finds by argument-dependent lookup alone: for an
    // element type outside namespace OpenWBEM (a built-in type, a class of the global
    // namespace) nothing is found unless its namespace overloads it. Provider code is built
    // with this on, so what compiles here also compiles against the real headers.
    void beforeWrite() { (void)sizeof(COWReferenceClone(static_cast<V*>(0))); }
#else
    void beforeWrite() {}
#endif

    void checkIndex(size_type ndx) const
    {
#ifdef OW_CHECK_ARRAY_INDEXING
        if (ndx >= m_impl.size())
        {
            throwArrayOutOfBoundsException(m_impl.size(), ndx);
        }
#else
        (void)ndx;
#endif
    }

    V m_impl;
};

// Found by argument-dependent lookup for arrays of OpenWBEM types, as in the real headers.
template <class T> inline std::vector<T>* COWReferenceClone(std::vector<T>* obj)
{
    return new std::vector<T>(*obj);
}

template <class T> inline bool operator==(const Array<T>& x, const Array<T>& y)
{
    return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin());
}
template <class T> inline bool operator!=(const Array<T>& x, const Array<T>& y)
{
    return !(x == y);
}
template <class T> inline bool operator<(const Array<T>& x, const Array<T>& y)
{
    return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end());
}
template <class T> inline bool operator<=(const Array<T>& x, const Array<T>& y)
{
    return !(y < x);
}
template <class T> inline bool operator>(const Array<T>& x, const Array<T>& y)
{
    return y < x;
}
template <class T> inline bool operator>=(const Array<T>& x, const Array<T>& y)
{
    return !(x < y);
}
template <class T> inline void swap(Array<T>& x, Array<T>& y)
{
    x.swap(y);
}

} // end namespace OpenWBEM

#endif
