// The name of a CIM class or instance: host, namespace, class name and (for an instance) its
// key properties, with the text form "/ns:Class.key="value",..." and its parser.
// Thread-safety: copies are cheap and independent; distinct objects may be used concurrently.
#ifndef OW_CIMOBJECTPATH_HPP_INCLUDE_GUARD_
#define OW_CIMOBJECTPATH_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_CIMBase.hpp"
#include "OW_CIMNULL.hpp"
#include "OW_CIMFwd.hpp"

namespace OpenWBEM
{

class CIMObjectPath : public CIMBase
{
public:
    CIMObjectPath();
    explicit CIMObjectPath(CIMNULL_t);
    explicit CIMObjectPath(const String& className);
    explicit CIMObjectPath(const char* className);
    CIMObjectPath(const String& className, const String& nspace);
    CIMObjectPath(const String& className, const CIMPropertyArray& keys);
    // Namespace first: the class name and key list are taken from the instance.
    CIMObjectPath(const String& ns, const CIMInstance& inst);
    CIMObjectPath(const CIMObjectPath& arg);
    virtual ~CIMObjectPath();
    CIMObjectPath& operator=(const CIMObjectPath& arg);

    virtual void setNull();

    CIMPropertyArray getKeys() const;
    // Stores copies of the keys without their qualifiers.
    CIMObjectPath& setKeys(const CIMPropertyArray& newKeys);
    CIMObjectPath& setKeys(const CIMInstance& instance);
    // Case-insensitive; absent: a null property.
    CIMProperty getKey(const String& keyName) const;
    // Absent: NoSuchPropertyException naming the key.
    CIMProperty getKeyT(const String& keyName) const;
    // Absent: a null value.
    CIMValue getKeyValue(const String& name) const;
    bool keyHasValue(const String& name) const;
    // Replaces the value of a key of that name or appends a new key.
    CIMObjectPath& setKeyValue(const String& name, const CIMValue& value);
    CIMObjectPath& addKey(const String& keyname, const CIMValue& value) OW_DEPRECATED;
    CIMObjectPath& addKey(const CIMProperty& key) OW_DEPRECATED;

    String getNameSpace() const;
    // Surrounding white space and leading slashes are dropped.
    CIMObjectPath& setNameSpace(const String& ns);
    String getClassName() const;
    CIMObjectPath& setClassName(const String& className);
    String getHost() const;
    CIMObjectPath& setHost(const String& host);

    bool isClassPath() const;
    bool isInstancePath() const;

    // Namespace and class name compare without regard to case; keys are matched by name
    // without regard to case and in any order, and their values must be equal and of the
    // same type.
    bool equals(const CIMObjectPath& op) const;
    bool operator==(const CIMObjectPath& op) const;
    bool operator!=(const CIMObjectPath& op) const;

    // Reads the form toString() writes; the namespace defaults to "root", quotes around key
    // values are optional, and every key becomes a string. Throws CIMException.
    static CIMObjectPath parse(const String& instanceName);
    // Backslash, double quote and newline become \\, \" and \n.
    static String escape(const String& inString);
    // Every \X becomes X.
    static String unEscape(const String& inString);

    // "/<ns>:<modelPath>", or "<protocol>://<host>[:<port>]/<ns>:<modelPath>" for a
    // remote host.
    virtual String toString() const;
    // The class name, then "." and the keys as name="value" pairs joined by ",".
    String modelPath() const;
    virtual String toMOF() const;

private:
    struct OPData;
    struct SafeBoolHelper
    {
        void nonNull() {}
    };
    typedef void (SafeBoolHelper::*safe_bool)();

public:
    operator safe_bool() const { return m_pdata ? &SafeBoolHelper::nonNull : 0; }
    bool operator!() const { return !m_pdata; }

private:
    OPData* m_pdata;
};

} // end namespace OpenWBEM

#endif
