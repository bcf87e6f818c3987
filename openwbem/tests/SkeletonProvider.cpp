// A provider library that overrides every signature of the C++ provider interfaces, written
// the way a real provider is (C++98 style, portable subset), so that building it proves the
// headers suffice and ProviderSkeleton_test can drive it through the CIMOM's loading protocol.
//
// It serves widgets of class Skel_Widget, key Name "w0".."w<N-1>", property Size = index.
// N comes from the config item "skeleton.widget_count" (default 3), read by initialize.
#include "OW_config.h"
#include "OW_CppInstanceProviderIFC.hpp"
#include "OW_CppMethodProviderIFC.hpp"
#include "OW_CppAssociatorProviderIFC.hpp"
#include "OW_CIMClass.hpp"
#include "OW_CIMException.hpp"
#include "OW_CIMInstance.hpp"
#include "OW_CIMObjectPath.hpp"
#include "OW_CIMParamValue.hpp"
#include "OW_CIMValue.hpp"

namespace OpenWBEM
{

namespace
{

const char* const WIDGET_CLASS = "Skel_Widget";
const char* const LINK_CLASS = "Skel_WidgetLink";

LoggerRef gLogger;
UInt32 gWidgetCount = 0;

String widgetName(UInt32 index)
{
    return String("w") + String(index);
}

bool findWidget(const CIMObjectPath& path, UInt32& index)
{
    const CIMValue name = path.getKeyValue("Name");
    for (index = 0; name && index < gWidgetCount; ++index)
    {
        if (name.toString() == widgetName(index))
        {
            return true;
        }
    }
    return false;
}

CIMObjectPath widgetPath(const String& ns, UInt32 index)
{
    CIMObjectPath path(WIDGET_CLASS, ns);
    path.setKeyValue("Name", CIMValue(widgetName(index)));
    return path;
}

bool wanted(const StringArray* propertyList, const char* name)
{
    if (propertyList == 0)
    {
        return true;
    }
    for (size_t i = 0; i < propertyList->size(); ++i)
    {
        if ((*propertyList)[i].equalsIgnoreCase(name))
        {
            return true;
        }
    }
    return false;
}

// An instance provider on its own, with its own enumInstances. It names no instances, so the
// library's default enumInstances would hand out none.
class SkeletonInstanceProvider : public CppInstanceProviderIFC
{
public:
    virtual void getInstanceProviderInfo(InstanceProviderInfo& info)
    {
        info.addInstrumentedClass(WIDGET_CLASS);
    }

    virtual void enumInstanceNames(const ProviderEnvironmentIFCRef&, const String&, const String&,
                                   CIMObjectPathResultHandlerIFC&, const CIMClass&)
    {
    }

    virtual void enumInstances(const ProviderEnvironmentIFCRef&, const String&, const String&,
                               CIMInstanceResultHandlerIFC& result, WBEMFlags::ELocalOnlyFlag,
                               WBEMFlags::EDeepFlag, WBEMFlags::EIncludeQualifiersFlag,
                               WBEMFlags::EIncludeClassOriginFlag, const StringArray*,
                               const CIMClass&, const CIMClass& cimClass)
    {
        result.handle(cimClass.newInstance());
    }

    virtual CIMInstance getInstance(const ProviderEnvironmentIFCRef&, const String&,
                                    const CIMObjectPath&, WBEMFlags::ELocalOnlyFlag,
                                    WBEMFlags::EIncludeQualifiersFlag,
                                    WBEMFlags::EIncludeClassOriginFlag, const StringArray*,
                                    const CIMClass& cimClass)
    {
        return cimClass.newInstance();
    }

    virtual CIMObjectPath createInstance(const ProviderEnvironmentIFCRef&, const String& ns,
                                         const CIMInstance& cimInstance)
    {
        return CIMObjectPath(ns, cimInstance);
    }

    virtual void modifyInstance(const ProviderEnvironmentIFCRef&, const String&, const CIMInstance&,
                                const CIMInstance&, WBEMFlags::EIncludeQualifiersFlag,
                                const StringArray*, const CIMClass&)
    {
    }

    virtual void deleteInstance(const ProviderEnvironmentIFCRef&, const String&,
                                const CIMObjectPath&)
    {
    }
};

// A method provider on its own.
class SkeletonMethodProvider : public CppMethodProviderIFC
{
public:
    virtual CIMValue invokeMethod(const ProviderEnvironmentIFCRef&, const String&,
                                  const CIMObjectPath&, const String&, const CIMParamValueArray&,
                                  CIMParamValueArray&)
    {
        return CIMValue(UInt32(0));
    }
};

// The combined form a real provider uses: one object serving instances, methods and
// associations. It leaves enumInstances to the library default.
class SkeletonProvider : public CppAssociatorProviderIFC, public CppMethodProviderIFC
{
public:
    virtual ~SkeletonProvider() {}

    virtual void initialize(const ProviderEnvironmentIFCRef& env)
    {
        gLogger = env->getLogger();
        gWidgetCount = env->getConfigItem("skeleton.widget_count", "3").toUInt32();
        gLogger->logInfo(String("skeleton provider serves ") + String(gWidgetCount) +
                         " widgets for " + env->getUserName());
        gLogger->logDebug("skeleton provider initialized");
    }

    virtual bool canUnload() { return false; }

    virtual void getInstanceProviderInfo(InstanceProviderInfo& info)
    {
        info.setProviderName("skeleton");
        info.addInstrumentedClass(WIDGET_CLASS);
    }

    virtual void getMethodProviderInfo(MethodProviderInfo& info)
    {
        StringArray namespaces;
        namespaces.push_back("root/skel");
        StringArray methods;
        methods.push_back("Double");
        info.addInstrumentedClass(MethodProviderInfo::ClassInfo(WIDGET_CLASS, namespaces, methods));
    }

    virtual void getAssociatorProviderInfo(AssociatorProviderInfo& info)
    {
        info.addInstrumentedClass(InstClassInfo(LINK_CLASS));
    }

    virtual void enumInstanceNames(const ProviderEnvironmentIFCRef&, const String& ns,
                                   const String&, CIMObjectPathResultHandlerIFC& result,
                                   const CIMClass&)
    {
        for (UInt32 i = 0; i < gWidgetCount; ++i)
        {
            result.handle(widgetPath(ns, i));
        }
    }

    // Records the flags it was called with as properties, so the caller can see what the
    // default enumInstances passed through.
    virtual CIMInstance getInstance(const ProviderEnvironmentIFCRef&, const String& ns,
                                    const CIMObjectPath& instanceName,
                                    WBEMFlags::ELocalOnlyFlag localOnly,
                                    WBEMFlags::EIncludeQualifiersFlag includeQualifiers,
                                    WBEMFlags::EIncludeClassOriginFlag includeClassOrigin,
                                    const StringArray* propertyList, const CIMClass& cimClass)
    {
        UInt32 index = 0;
        if (!findWidget(instanceName, index))
        {
            OW_THROWCIMMSG(CIMException::NOT_FOUND, instanceName.toString().c_str());
        }
        CIMInstance inst(cimClass.getName());
        inst.setProperty("Name", CIMValue(widgetName(index)));
        if (wanted(propertyList, "Size"))
        {
            inst.setProperty("Size", CIMValue(index));
        }
        inst.setProperty("SeenNamespace", CIMValue(ns));
        inst.setProperty("SeenLocalOnly", CIMValue(UInt32(localOnly)));
        inst.setProperty("SeenIncludeQualifiers", CIMValue(UInt32(includeQualifiers)));
        inst.setProperty("SeenIncludeClassOrigin", CIMValue(UInt32(includeClassOrigin)));
        return inst;
    }

    virtual CIMObjectPath createInstance(const ProviderEnvironmentIFCRef&, const String&,
                                         const CIMInstance&)
    {
        OW_THROWCIMMSG(CIMException::NOT_SUPPORTED, "widgets are fixed");
    }

    virtual void modifyInstance(const ProviderEnvironmentIFCRef&, const String&, const CIMInstance&,
                                const CIMInstance&, WBEMFlags::EIncludeQualifiersFlag,
                                const StringArray*, const CIMClass&)
    {
        OW_THROWCIMMSG(CIMException::NOT_SUPPORTED, "widgets are fixed");
    }

    virtual void deleteInstance(const ProviderEnvironmentIFCRef&, const String&,
                                const CIMObjectPath&)
    {
        OW_THROWCIMMSG(CIMException::NOT_SUPPORTED, "widgets are fixed");
    }

    // Double(x: uint32) returns 2x and also reports it in the output parameter "result".
    virtual CIMValue invokeMethod(const ProviderEnvironmentIFCRef&, const String&,
                                  const CIMObjectPath&, const String& methodName,
                                  const CIMParamValueArray& in, CIMParamValueArray& out)
    {
        if (!methodName.equalsIgnoreCase("Double"))
        {
            OW_THROWCIMMSG(CIMException::METHOD_NOT_FOUND, methodName.c_str());
        }
        if (in.size() != 1 || !in[0].getValue())
        {
            OW_THROWCIM(CIMException::INVALID_PARAMETER);
        }
        UInt32 x = in[0].getValue().toUInt32();
        CIMValue doubled(UInt32(x * 2));
        out.push_back(CIMParamValue("result", doubled));
        return doubled;
    }

    // Every widget is linked to widget w0.
    virtual void associators(const ProviderEnvironmentIFCRef& env,
                             CIMInstanceResultHandlerIFC& result, const String& ns,
                             const CIMObjectPath& objectName, const String&, const String&,
                             const String&, const String&, WBEMFlags::EIncludeQualifiersFlag,
                             WBEMFlags::EIncludeClassOriginFlag, const StringArray* propertyList)
    {
        UInt32 index = 0;
        if (findWidget(objectName, index))
        {
            result.handle(getInstance(env, ns, widgetPath(ns, 0), WBEMFlags::E_NOT_LOCAL_ONLY,
                                      WBEMFlags::E_EXCLUDE_QUALIFIERS,
                                      WBEMFlags::E_EXCLUDE_CLASS_ORIGIN, propertyList,
                                      CIMClass(WIDGET_CLASS)));
        }
    }

    virtual void associatorNames(const ProviderEnvironmentIFCRef&,
                                 CIMObjectPathResultHandlerIFC& result, const String& ns,
                                 const CIMObjectPath& objectName, const String&, const String&,
                                 const String&, const String&)
    {
        UInt32 index = 0;
        if (findWidget(objectName, index))
        {
            result.handle(widgetPath(ns, 0));
        }
    }

    virtual void references(const ProviderEnvironmentIFCRef&, CIMInstanceResultHandlerIFC& result,
                            const String& ns, const CIMObjectPath& objectName, const String&,
                            const String&, WBEMFlags::EIncludeQualifiersFlag,
                            WBEMFlags::EIncludeClassOriginFlag, const StringArray*)
    {
        UInt32 index = 0;
        if (findWidget(objectName, index))
        {
            result.handle(link(ns, index));
        }
    }

    virtual void referenceNames(const ProviderEnvironmentIFCRef&,
                                CIMObjectPathResultHandlerIFC& result, const String& ns,
                                const CIMObjectPath& objectName, const String&, const String&)
    {
        UInt32 index = 0;
        if (findWidget(objectName, index))
        {
            CIMInstance inst = link(ns, index);
            result.handle(CIMObjectPath(ns, inst));
        }
    }

private:
    static CIMInstance link(const String& ns, UInt32 index)
    {
        CIMInstance inst(LINK_CLASS);
        inst.setProperty("Antecedent", CIMValue(widgetPath(ns, 0)));
        inst.setProperty("Dependent", CIMValue(widgetPath(ns, index)));
        return inst;
    }
};

} // namespace

} // end namespace OpenWBEM

OW_PROVIDERFACTORY(OpenWBEM::SkeletonProvider, Skeleton)

// The single-interface providers get factories of their own; the macro may appear only once
// per library because it also defines getOWVersion.
extern "C" OpenWBEM::CppProviderBaseIFC* createSkeletonInstanceOnly()
{
    return new OpenWBEM::SkeletonInstanceProvider;
}

extern "C" OpenWBEM::CppProviderBaseIFC* createSkeletonMethodOnly()
{
    return new OpenWBEM::SkeletonMethodProvider;
}
