// The collecting result handlers: each appends what it is handed to its caller's container.
#include "OW_config.h"
#include "OW_ResultHandlers.hpp"
#include "OW_Array.hpp"
#include "OW_String.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMClass.hpp"
#include "OW_CIMQualifierType.hpp"

namespace OpenWBEM
{

CIMInstanceArrayBuilder::~CIMInstanceArrayBuilder() {}

void CIMInstanceArrayBuilder::doHandle(const CIMInstance& x)
{
    m_a.push_back(x);
}

CIMInstanceEnumBuilder::~CIMInstanceEnumBuilder() {}

void CIMInstanceEnumBuilder::doHandle(const CIMInstance& x)
{
    m_e.addElement(x);
}

CIMObjectPathArrayBuilder::~CIMObjectPathArrayBuilder() {}

void CIMObjectPathArrayBuilder::doHandle(const CIMObjectPath& x)
{
    m_a.push_back(x);
}

CIMObjectPathEnumBuilder::~CIMObjectPathEnumBuilder() {}

void CIMObjectPathEnumBuilder::doHandle(const CIMObjectPath& x)
{
    m_e.addElement(x);
}

StringArrayBuilder::~StringArrayBuilder() {}

void StringArrayBuilder::doHandle(const String& x)
{
    m_a.push_back(x);
}

StringEnumBuilder::~StringEnumBuilder() {}

void StringEnumBuilder::doHandle(const String& x)
{
    m_e.addElement(x);
}

CIMClassArrayBuilder::~CIMClassArrayBuilder() {}

void CIMClassArrayBuilder::doHandle(const CIMClass& x)
{
    m_a.push_back(x);
}

CIMClassEnumBuilder::~CIMClassEnumBuilder() {}

void CIMClassEnumBuilder::doHandle(const CIMClass& x)
{
    m_e.addElement(x);
}

CIMQualifierTypeArrayBuilder::~CIMQualifierTypeArrayBuilder() {}

void CIMQualifierTypeArrayBuilder::doHandle(const CIMQualifierType& x)
{
    m_a.push_back(x);
}

CIMQualifierTypeEnumBuilder::~CIMQualifierTypeEnumBuilder() {}

void CIMQualifierTypeEnumBuilder::doHandle(const CIMQualifierType& x)
{
    m_e.addElement(x);
}

} // end namespace OpenWBEM
