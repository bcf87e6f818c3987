// Forward declarations of the CIM object classes and their array and enumeration names, so
// interface headers can name them without pulling their definitions in.
// Thread-safety: types only.
#ifndef OW_CIMFWD_HPP_INCLUDE_GUARD_
#define OW_CIMFWD_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_ArrayFwd.hpp"

namespace OpenWBEM
{

class String;
class Bool;
class Char16;
class DateTime;
class CIMDateTime;
class CIMDataType;
class CIMValue;
class CIMProperty;
class CIMQualifier;
class CIMQualifierType;
class CIMInstance;
class CIMObjectPath;
class CIMParamValue;
class CIMClass;
class CIMMethod;
class CIMParameter;
class CIMFlavor;
class CIMScope;
class CIMNameSpace;
class CIMObject;

template <class T> class Enumeration;

typedef Array<String> StringArray;
typedef Array<Bool> BoolArray;
typedef Array<Char16> Char16Array;
typedef Array<CIMDateTime> CIMDateTimeArray;
typedef Array<CIMValue> CIMValueArray;
typedef Array<CIMProperty> CIMPropertyArray;
typedef Array<CIMQualifier> CIMQualifierArray;
typedef Array<CIMQualifierType> CIMQualifierTypeArray;
typedef Array<CIMInstance> CIMInstanceArray;
typedef Array<CIMObjectPath> CIMObjectPathArray;
typedef Array<CIMParamValue> CIMParamValueArray;
typedef Array<CIMClass> CIMClassArray;
typedef Array<CIMMethod> CIMMethodArray;
typedef Array<CIMParameter> CIMParameterArray;
typedef Array<CIMFlavor> CIMFlavorArray;

typedef Enumeration<CIMInstance> CIMInstanceEnumeration;
typedef Enumeration<CIMObjectPath> CIMObjectPathEnumeration;
typedef Enumeration<CIMClass> CIMClassEnumeration;
typedef Enumeration<String> StringEnumeration;
typedef Enumeration<CIMQualifierType> CIMQualifierTypeEnumeration;

} // end namespace OpenWBEM

#endif
