// One UCS-2 character, the CIM char16 type. Text conversions use UTF-8, so a Char16 turns
// into one to three bytes of a String and back.
// Thread-safety: a plain value.
#ifndef OW_CHAR16_HPP_INCLUDE_GUARD_
#define OW_CHAR16_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_Types.hpp"
#include "OW_ArrayFwd.hpp"
#include <iosfwd>

namespace OpenWBEM
{

class String;
class Bool;
class Char16;
typedef Array<Char16> Char16Array;

class Char16
{
public:
    Char16() : m_value(0) {}
    Char16(const Char16& arg) : m_value(arg.m_value) {}
    // The byte is taken as a Latin-1 character.
    explicit Char16(char c) : m_value(static_cast<unsigned char>(c)) {}
    // The first character of the UTF-8 text; 0 for the empty string.
    explicit Char16(const String& x);
    Char16(UInt16 val) : m_value(val) {}
    Char16(Int16 val) : m_value(static_cast<UInt16>(val)) {}
    Char16(UInt8 val) : m_value(val) {}
    Char16(Int8 val) : m_value(static_cast<UInt16>(val)) {}
    Char16(UInt32 val) : m_value(static_cast<UInt16>(val)) {}
    Char16(Int32 val) : m_value(static_cast<UInt16>(val)) {}
    Char16(UInt64 val) : m_value(static_cast<UInt16>(val)) {}
    Char16(Int64 val) : m_value(static_cast<UInt16>(val)) {}
    // Truncated toward zero; values outside 0 .. 65535 (and NaN) give 0.
    Char16(Real32 val);
    Char16(Real64 val);
    explicit Char16(const Bool& val);

    Char16& operator=(const Char16& arg)
    {
        m_value = arg.m_value;
        return *this;
    }
    UInt16 getValue() const { return m_value; }
    operator UInt16() const { return m_value; }

    bool operator==(const Char16& arg) const { return m_value == arg.m_value; }
    bool operator!=(const Char16& arg) const { return m_value != arg.m_value; }
    bool operator<(const Char16& arg) const { return m_value < arg.m_value; }
    bool operator<=(const Char16& arg) const { return m_value <= arg.m_value; }
    bool operator>(const Char16& arg) const { return m_value > arg.m_value; }
    bool operator>=(const Char16& arg) const { return m_value >= arg.m_value; }

    // The character as UTF-8; the NUL character gives the empty string.
    String toString() const;

private:
    UInt16 m_value;
};

// Writes the character as UTF-8.
std::ostream& operator<<(std::ostream& ostrm, const Char16& arg);

} // end namespace OpenWBEM

#endif
