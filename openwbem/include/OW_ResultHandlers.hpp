// Ready-made result handlers that collect every result into a caller-owned array or
// enumeration, for callers that want the whole answer at once.
// Thread-safety: a builder and its target belong to one thread; nothing is locked.
#ifndef OW_RESULTHANDLERS_HPP_INCLUDE_GUARD_
#define OW_RESULTHANDLERS_HPP_INCLUDE_GUARD_
#include "OW_config.h"
#include "OW_CIMFwd.hpp"
#include "OW_ResultHandlerIFC.hpp"
#include "OW_Enumeration.hpp"

namespace OpenWBEM
{

class CIMInstanceArrayBuilder : public CIMInstanceResultHandlerIFC
{
public:
    CIMInstanceArrayBuilder(CIMInstanceArray& a) : m_a(a) {}
    virtual ~CIMInstanceArrayBuilder();

protected:
    virtual void doHandle(const CIMInstance& x);

private:
    CIMInstanceArray& m_a;
};

class CIMInstanceEnumBuilder : public CIMInstanceResultHandlerIFC
{
public:
    CIMInstanceEnumBuilder(CIMInstanceEnumeration& e) : m_e(e) {}
    virtual ~CIMInstanceEnumBuilder();

protected:
    virtual void doHandle(const CIMInstance& x);

private:
    CIMInstanceEnumeration& m_e;
};

class CIMObjectPathArrayBuilder : public CIMObjectPathResultHandlerIFC
{
public:
    CIMObjectPathArrayBuilder(CIMObjectPathArray& a) : m_a(a) {}
    virtual ~CIMObjectPathArrayBuilder();

protected:
    virtual void doHandle(const CIMObjectPath& x);

private:
    CIMObjectPathArray& m_a;
};

class CIMObjectPathEnumBuilder : public CIMObjectPathResultHandlerIFC
{
public:
    CIMObjectPathEnumBuilder(CIMObjectPathEnumeration& e) : m_e(e) {}
    virtual ~CIMObjectPathEnumBuilder();

protected:
    virtual void doHandle(const CIMObjectPath& x);

private:
    CIMObjectPathEnumeration& m_e;
};

class StringArrayBuilder : public StringResultHandlerIFC
{
public:
    StringArrayBuilder(StringArray& a) : m_a(a) {}
    virtual ~StringArrayBuilder();

protected:
    virtual void doHandle(const String& x);

private:
    StringArray& m_a;
};

class StringEnumBuilder : public StringResultHandlerIFC
{
public:
    StringEnumBuilder(StringEnumeration& e) : m_e(e) {}
    virtual ~StringEnumBuilder();

protected:
    virtual void doHandle(const String& x);

private:
    StringEnumeration& m_e;
};

class CIMClassArrayBuilder : public CIMClassResultHandlerIFC
{
public:
    CIMClassArrayBuilder(CIMClassArray& a) : m_a(a) {}
    virtual ~CIMClassArrayBuilder();

protected:
    virtual void doHandle(const CIMClass& x);

private:
    CIMClassArray& m_a;
};

class CIMClassEnumBuilder : public CIMClassResultHandlerIFC
{
public:
    CIMClassEnumBuilder(CIMClassEnumeration& e) : m_e(e) {}
    virtual ~CIMClassEnumBuilder();

protected:
    virtual void doHandle(const CIMClass& x);

private:
    CIMClassEnumeration& m_e;
};

class CIMQualifierTypeArrayBuilder : public CIMQualifierTypeResultHandlerIFC
{
public:
    CIMQualifierTypeArrayBuilder(CIMQualifierTypeArray& a) : m_a(a) {}
    virtual ~CIMQualifierTypeArrayBuilder();

protected:
    virtual void doHandle(const CIMQualifierType& x);

private:
    CIMQualifierTypeArray& m_a;
};

class CIMQualifierTypeEnumBuilder : public CIMQualifierTypeResultHandlerIFC
{
public:
    CIMQualifierTypeEnumBuilder(CIMQualifierTypeEnumeration& e) : m_e(e) {}
    virtual ~CIMQualifierTypeEnumBuilder();

protected:
    virtual void doHandle(const CIMQualifierType& x);

private:
    CIMQualifierTypeEnumeration& m_e;
};

} // end namespace OpenWBEM

#endif
