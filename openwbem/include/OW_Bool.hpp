// A boolean that prints and converts to text as "true"/"false", used where the CIM object
// model needs a distinct boolean type (CIMValue, BoolArray). Pointers do not convert to it.
// Thread-safety: a plain value.
#ifndef OW_BOOL_HPP_INCLUDE_GUARD_
#define OW_BOOL_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include <iosfwd>

namespace OpenWBEM
{

class String;

class Bool
{
public:
    Bool() : m_val(false) {}
    Bool(bool val) : m_val(val) {}
    Bool(const Bool& arg) : m_val(arg.m_val) {}
    Bool& operator=(const Bool& arg)
    {
        m_val = arg.m_val;
        return *this;
    }

    bool operator==(const bool arg) const { return m_val == arg; }
    bool operator==(const Bool& arg) const { return m_val == arg.m_val; }
    bool operator!=(const bool arg) const { return m_val != arg; }
    bool operator!=(const Bool& arg) const { return m_val != arg.m_val; }
    operator bool() const { return m_val; }
    bool operator!() const { return !m_val; }
    // "true" or "false".
    String toString() const;

    friend bool operator<(const Bool& b1, const Bool& b2) { return b1.m_val < b2.m_val; }

private:
    // Declared and never defined, so that passing a pointer is a compile error instead of a
    // silent pointer-to-bool conversion.
    Bool(const void*);
    Bool(void*);
    Bool(volatile const void*);
    Bool(volatile void*);

    bool m_val;
};

std::ostream& operator<<(std::ostream& ostrm, const Bool& arg);

} // end namespace OpenWBEM

#endif
