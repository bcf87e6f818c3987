// Typing of MOF literals: range checks for every integer width, datetime and object path
// syntax, and the building of the provider API's values and arrays.
#include "mof/values.h"

#include "OW_Array.hpp"
#include "OW_Bool.hpp"
#include "OW_CIMDateTime.hpp"
#include "OW_CIMException.hpp"
#include "OW_Exception.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_Char16.hpp"
#include "OW_String.hpp"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

namespace cimom
{
namespace mof
{

namespace
{

using OpenWBEM::Array;
using OpenWBEM::CIMDataType;
using OpenWBEM::CIMValue;
using OpenWBEM::String;

// The CIM datetime text forms: yyyymmddhhmmss.mmmmmm+utc (absolute, utc in minutes, signed)
// and ddddddddhhmmss.mmmmmm:000 (interval).
constexpr std::size_t kDateTimeChars = 25;
constexpr std::size_t kDateTimeDotPos = 14;
constexpr std::size_t kDateTimeSignPos = 21;

String owString(const std::string& text)
{
    return String(text.c_str(), text.size());
}

class Typer
{
public:
    Typer(const TypeDecl& type, const std::string& subject, const std::string& file)
        : type_(type), subject_(subject), file_(file)
    {
    }

    [[noreturn]] void fail(const Literal& lit, const std::string& message) const
    {
        throw MofError(file_, lit.line, message);
    }

    [[noreturn]] void mismatch(const Literal& lit) const
    {
        fail(lit, "cannot use " + lit.describe() + " as a " + describeType(scalarType()) +
                      " value of " + subject_);
    }

    TypeDecl scalarType() const
    {
        TypeDecl t = type_;
        t.isArray = false;
        return t;
    }

    // Integer literals only; `least` and `most` bound the value.
    template <class T> T integer(const Literal& lit) const
    {
        if (lit.kind != Literal::Kind::Integer)
        {
            mismatch(lit);
        }
        const auto least = static_cast<std::int64_t>(std::numeric_limits<T>::min());
        const auto most = static_cast<std::uint64_t>(std::numeric_limits<T>::max());
        bool fits = !lit.tooLarge;
        if (fits && lit.negative && lit.magnitude != 0)
        {
            // |least| as unsigned, without overflowing on INT64_MIN.
            fits = least < 0 && lit.magnitude <= static_cast<std::uint64_t>(-(least + 1)) + 1;
        }
        else if (fits)
        {
            fits = lit.magnitude <= most;
        }
        if (!fits)
        {
            fail(lit, "the number " + lit.text + " is out of range for " +
                          describeType(scalarType()) + " " + subject_);
        }
        if (lit.negative)
        {
            // Two's complement negation of the magnitude, valid because it fits in T.
            return static_cast<T>(static_cast<std::int64_t>(0 - lit.magnitude));
        }
        return static_cast<T>(lit.magnitude);
    }

    double real(const Literal& lit, bool single) const
    {
        double value = 0;
        if (lit.kind == Literal::Kind::Real)
        {
            value = lit.real;
        }
        else if (lit.kind == Literal::Kind::Integer && !lit.tooLarge)
        {
            value = static_cast<double>(lit.magnitude);
            value = lit.negative ? -value : value;
        }
        else
        {
            mismatch(lit);
        }
        if (single && std::fabs(value) > FLT_MAX)
        {
            fail(lit, "the number " + lit.text + " is out of range for real32 " + subject_);
        }
        return value;
    }

    OpenWBEM::Bool boolean(const Literal& lit) const
    {
        if (lit.kind != Literal::Kind::Boolean)
        {
            mismatch(lit);
        }
        return OpenWBEM::Bool(lit.boolean);
    }

    String text(const Literal& lit) const
    {
        if (lit.kind != Literal::Kind::String)
        {
            mismatch(lit);
        }
        return owString(lit.text);
    }

    OpenWBEM::Char16 character(const Literal& lit) const
    {
        if (lit.kind == Literal::Kind::Char)
        {
            return OpenWBEM::Char16(OpenWBEM::UInt16(lit.character));
        }
        // A char16 may also be written as its code.
        return OpenWBEM::Char16(integer<OpenWBEM::UInt16>(lit));
    }

    OpenWBEM::CIMDateTime dateTime(const Literal& lit) const
    {
        if (lit.kind != Literal::Kind::String || !isDateTimeText(lit.text))
        {
            fail(lit, "expected a datetime (yyyymmddhhmmss.mmmmmm+utc or "
                      "ddddddddhhmmss.mmmmmm:000) for " +
                          subject_ + ", found " + lit.describe());
        }
        return OpenWBEM::CIMDateTime(owString(lit.text));
    }

    OpenWBEM::CIMObjectPath path(const Literal& lit) const
    {
        if (lit.kind != Literal::Kind::String)
        {
            mismatch(lit);
        }
        try
        {
            return OpenWBEM::CIMObjectPath::parse(owString(lit.text));
        }
        catch (const OpenWBEM::Exception&)
        {
            fail(lit, "the string \"" + lit.text + "\" is not an object path (" + subject_ + ")");
        }
    }

    // Every element through `convert`, collected into the provider API's array type.
    template <class T, class Convert>
    CIMValue array(const std::vector<Literal>& elements, Convert convert) const
    {
        Array<T> out;
        for (const Literal& lit : elements)
        {
            if (lit.kind == Literal::Kind::Null)
            {
                fail(lit, "null cannot be an element of the array " + subject_);
            }
            out.push_back(convert(lit));
        }
        return CIMValue(out);
    }

    CIMValue scalar(const Literal& lit) const;
    CIMValue array(const std::vector<Literal>& elements) const;

private:
    static bool isDateTimeText(const std::string& text);

    const TypeDecl& type_;
    const std::string& subject_;
    const std::string& file_;
};

bool allDigitsOrStars(const std::string& text, std::size_t from, std::size_t to)
{
    for (std::size_t i = from; i < to; ++i)
    {
        if (!(text[i] == '*' || (text[i] >= '0' && text[i] <= '9')))
        {
            return false;
        }
    }
    return true;
}

// A two-digit field within its range; fields masked with '*' are not checked.
bool fieldWithin(const std::string& text, std::size_t pos, int least, int most)
{
    if (text[pos] == '*' || text[pos + 1] == '*')
    {
        return true;
    }
    const int value = (text[pos] - '0') * 10 + (text[pos + 1] - '0');
    return value >= least && value <= most;
}

bool Typer::isDateTimeText(const std::string& text)
{
    if (text.size() != kDateTimeChars || text[kDateTimeDotPos] != '.' ||
        !allDigitsOrStars(text, 0, kDateTimeDotPos) ||
        !allDigitsOrStars(text, kDateTimeDotPos + 1, kDateTimeSignPos) ||
        !allDigitsOrStars(text, kDateTimeSignPos + 1, kDateTimeChars))
    {
        return false;
    }
    const char sign = text[kDateTimeSignPos];
    if (sign == ':')
    {
        return text.compare(kDateTimeSignPos + 1, 3, "000") == 0 && fieldWithin(text, 8, 0, 23) &&
               fieldWithin(text, 10, 0, 59) && fieldWithin(text, 12, 0, 59);
    }
    return (sign == '+' || sign == '-') && fieldWithin(text, 4, 1, 12) &&
           fieldWithin(text, 6, 1, 31) && fieldWithin(text, 8, 0, 23) &&
           fieldWithin(text, 10, 0, 59) && fieldWithin(text, 12, 0, 60);
}

CIMValue Typer::scalar(const Literal& lit) const
{
    if (lit.kind == Literal::Kind::Null)
    {
        return CIMValue(OpenWBEM::CIMNULL);
    }
    switch (type_.type)
    {
    case CIMDataType::UINT8:
        return CIMValue(integer<OpenWBEM::UInt8>(lit));
    case CIMDataType::SINT8:
        return CIMValue(integer<OpenWBEM::Int8>(lit));
    case CIMDataType::UINT16:
        return CIMValue(integer<OpenWBEM::UInt16>(lit));
    case CIMDataType::SINT16:
        return CIMValue(integer<OpenWBEM::Int16>(lit));
    case CIMDataType::UINT32:
        return CIMValue(integer<OpenWBEM::UInt32>(lit));
    case CIMDataType::SINT32:
        return CIMValue(integer<OpenWBEM::Int32>(lit));
    case CIMDataType::UINT64:
        return CIMValue(integer<OpenWBEM::UInt64>(lit));
    case CIMDataType::SINT64:
        return CIMValue(integer<OpenWBEM::Int64>(lit));
    case CIMDataType::REAL32:
        return CIMValue(static_cast<OpenWBEM::Real32>(real(lit, true)));
    case CIMDataType::REAL64:
        return CIMValue(static_cast<OpenWBEM::Real64>(real(lit, false)));
    case CIMDataType::BOOLEAN:
        return CIMValue(boolean(lit));
    case CIMDataType::STRING:
        return CIMValue(text(lit));
    case CIMDataType::CHAR16:
        return CIMValue(character(lit));
    case CIMDataType::DATETIME:
        return CIMValue(dateTime(lit));
    case CIMDataType::REFERENCE:
        return CIMValue(path(lit));
    default:
        break;
    }
    fail(lit, subject_ + " has a type that takes no default value");
}

CIMValue Typer::array(const std::vector<Literal>& elements) const
{
    using namespace OpenWBEM;
    switch (type_.type)
    {
    case CIMDataType::UINT8:
        return array<UInt8>(elements, [this](const Literal& l) { return integer<UInt8>(l); });
    case CIMDataType::SINT8:
        return array<Int8>(elements, [this](const Literal& l) { return integer<Int8>(l); });
    case CIMDataType::UINT16:
        return array<UInt16>(elements, [this](const Literal& l) { return integer<UInt16>(l); });
    case CIMDataType::SINT16:
        return array<Int16>(elements, [this](const Literal& l) { return integer<Int16>(l); });
    case CIMDataType::UINT32:
        return array<UInt32>(elements, [this](const Literal& l) { return integer<UInt32>(l); });
    case CIMDataType::SINT32:
        return array<Int32>(elements, [this](const Literal& l) { return integer<Int32>(l); });
    case CIMDataType::UINT64:
        return array<UInt64>(elements, [this](const Literal& l) { return integer<UInt64>(l); });
    case CIMDataType::SINT64:
        return array<Int64>(elements, [this](const Literal& l) { return integer<Int64>(l); });
    case CIMDataType::REAL32:
        return array<Real32>(elements, [this](const Literal& l) { return Real32(real(l, true)); });
    case CIMDataType::REAL64:
        return array<Real64>(elements, [this](const Literal& l) { return real(l, false); });
    case CIMDataType::BOOLEAN:
        return array<Bool>(elements, [this](const Literal& l) { return boolean(l); });
    case CIMDataType::STRING:
        return array<String>(elements, [this](const Literal& l) { return text(l); });
    case CIMDataType::CHAR16:
        return array<Char16>(elements, [this](const Literal& l) { return character(l); });
    case CIMDataType::DATETIME:
        return array<CIMDateTime>(elements, [this](const Literal& l) { return dateTime(l); });
    case CIMDataType::REFERENCE:
        return array<CIMObjectPath>(elements, [this](const Literal& l) { return path(l); });
    default:
        break;
    }
    throw MofError(file_, elements.empty() ? 0 : elements.front().line,
                   subject_ + " has a type that takes no default value");
}

} // namespace

OpenWBEM::CIMValue typedValue(const Initializer& init, const TypeDecl& type,
                              const std::string& subject, const std::string& file)
{
    const Typer typer(type, subject, file);
    if (!init.isArray)
    {
        const Literal& lit = init.elements.front();
        if (type.isArray && lit.kind != Literal::Kind::Null)
        {
            typer.fail(lit, subject + " is an array: write its value as { ... }");
        }
        return typer.scalar(lit);
    }
    if (!type.isArray)
    {
        throw MofError(file, init.line, subject + " is not an array, but its value is a list");
    }
    if (type.arraySize > 0 && init.elements.size() > static_cast<std::size_t>(type.arraySize))
    {
        throw MofError(file, init.line,
                       subject + " holds at most " + std::to_string(type.arraySize) +
                           " elements, but its value lists " +
                           std::to_string(init.elements.size()));
    }
    return typer.array(init.elements);
}

OpenWBEM::CIMDataType::Type typeFromName(const std::string& name)
{
    static const struct
    {
        const char* name;
        CIMDataType::Type type;
    } kTypes[] = {
        {"uint8", CIMDataType::UINT8},     {"sint8", CIMDataType::SINT8},
        {"uint16", CIMDataType::UINT16},   {"sint16", CIMDataType::SINT16},
        {"uint32", CIMDataType::UINT32},   {"sint32", CIMDataType::SINT32},
        {"uint64", CIMDataType::UINT64},   {"sint64", CIMDataType::SINT64},
        {"real32", CIMDataType::REAL32},   {"real64", CIMDataType::REAL64},
        {"char16", CIMDataType::CHAR16},   {"string", CIMDataType::STRING},
        {"boolean", CIMDataType::BOOLEAN}, {"datetime", CIMDataType::DATETIME},
    };
    for (const auto& t : kTypes)
    {
        if (equalsIgnoreCase(name, t.name))
        {
            return t.type;
        }
    }
    return CIMDataType::INVALID;
}

std::string describeType(const TypeDecl& type)
{
    std::string out;
    if (type.type == CIMDataType::REFERENCE)
    {
        out = type.referenceClass + " REF";
    }
    else
    {
        out = CIMDataType(type.type).toString().c_str();
    }
    if (type.isArray)
    {
        out += type.arraySize > 0 ? "[" + std::to_string(type.arraySize) + "]" : "[]";
    }
    return out;
}

} // namespace mof
} // namespace cimom
