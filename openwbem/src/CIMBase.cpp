// Roots of the CIM object classes, and the text escapes they share.
#include "OW_config.h"
#include "OW_CIMBase.hpp"
#include "OW_CIMElement.hpp"
#include "OW_String.hpp"
#include "CIMImpl.hpp"

#include <cstdio>

namespace OpenWBEM
{

CIMBase::~CIMBase() {}

CIMElement::~CIMElement() {}

bool CIMElement::operator==(const CIMElement& arg)
{
    return getName().equalsIgnoreCase(arg.getName());
}

namespace cimimpl
{

std::string mofEscape(const std::string& in)
{
    std::string out;
    out.reserve(in.size());
    for (char c : in)
    {
        switch (c)
        {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\'':
            out += "\\'";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            {
                // Other control characters would not survive a MOF reader: spell them out.
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(c));
                out += buf;
            }
            else
            {
                out += c;
            }
        }
    }
    return out;
}

} // end namespace cimimpl

} // end namespace OpenWBEM
