// Two-valued option flags of the WBEM operations, as strongly named enums so that a provider
// cannot pass a bare bool in the wrong position of a long parameter list.
// Thread-safety: types only.
#ifndef OW_WBEMFLAGS_HPP_INCLUDE_GUARD_
#define OW_WBEMFLAGS_HPP_INCLUDE_GUARD_
#include "OW_config.h"

namespace OpenWBEM
{

namespace WBEMFlags
{

enum EDeepFlag
{
    E_SHALLOW,
    E_DEEP
};

enum ELocalOnlyFlag
{
    E_NOT_LOCAL_ONLY,
    E_LOCAL_ONLY
};

enum EIncludeQualifiersFlag
{
    E_EXCLUDE_QUALIFIERS,
    E_INCLUDE_QUALIFIERS
};

enum EIncludeClassOriginFlag
{
    E_EXCLUDE_CLASS_ORIGIN,
    E_INCLUDE_CLASS_ORIGIN
};

enum EEnumSubclassesFlag
{
    E_DONT_ENUM_SUBCLASSES,
    E_ENUM_SUBCLASSES
};

enum EOperationResultFlag
{
    E_FAILED,
    E_SUCCESS
};

// Identifies the operation a request performs, e.g. for access checks and auditing.
enum EOperationFlag
{
    E_CREATE_NAMESPACE,
    E_DELETE_NAMESPACE,
    E_ENUM_NAMESPACE,
    E_GET_QUALIFIER_TYPE,
    E_ENUM_QUALIFIER_TYPES,
    E_DELETE_QUALIFIER_TYPE,
    E_SET_QUALIFIER_TYPE,
    E_CREATE_CLASS,
    E_DELETE_CLASS,
    E_MODIFY_CLASS,
    E_ENUM_CLASSES,
    E_ENUM_CLASS_NAMES,
    E_GET_CLASS,
    E_CREATE_INSTANCE,
    E_DELETE_INSTANCE,
    E_MODIFY_INSTANCE,
    E_ENUM_INSTANCES,
    E_ENUM_INSTANCE_NAMES,
    E_GET_INSTANCE,
    E_INVOKE_METHOD,
    E_GET_PROPERTY,
    E_SET_PROPERTY,
    E_ASSOCIATOR_NAMES,
    E_ASSOCIATORS,
    E_ASSOCIATORS_CLASSES,
    E_REFERENCE_NAMES,
    E_REFERENCES,
    E_REFERENCES_CLASSES,
    E_EXEC_QUERY,
    E_EXPORT_INDICATION
};

} // end namespace WBEMFlags

} // end namespace OpenWBEM

#endif
