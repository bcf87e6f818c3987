// A sequence of results that is filled at one end and consumed from the other, used where an
// operation's answer is collected before the caller reads it. Kept in memory. Copies are
// handles to one sequence: what one copy adds or extracts, every copy sees.
// Thread-safety: an enumeration and its copies are not shared between threads.
#ifndef OW_ENUMERATION_HPP_INCLUDE_GUARD_
#define OW_ENUMERATION_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Types.hpp"
#include "OW_Exception.hpp"
#include "OW_Reference.hpp"
#include <cstddef>
#include <deque>

namespace OpenWBEM
{

OW_DECLARE_EXCEPTION(Enumeration);

template <class T> class Enumeration
{
public:
    Enumeration() : m_elements(new std::deque<T>()) {}

    bool hasMoreElements() const { return !m_elements->empty(); }

    // Hands out the next element and drops it; throws EnumerationException when none is left.
    void nextElement(T& out)
    {
        throwIfEmpty();
        out = m_elements->front();
        m_elements->pop_front();
    }

    T nextElement()
    {
        throwIfEmpty();
        T out(m_elements->front());
        m_elements->pop_front();
        return out;
    }

    // The number of elements not yet extracted.
    size_t numberOfElements() const { return m_elements->size(); }

    void addElement(const T& x) { m_elements->push_back(x); }

    void clear() { m_elements->clear(); }

private:
    void throwIfEmpty() const
    {
        if (m_elements->empty())
        {
            OW_THROW(EnumerationException, "Attempt to Extract from empty Enum");
        }
    }

    // clang-format off
    Reference<std::deque<T> > m_elements;
    // clang-format on
};

} // end namespace OpenWBEM

#endif
