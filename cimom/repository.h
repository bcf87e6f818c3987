// The daemon's class repository: class definitions read from MOF files at start, looked up by
// every operation before any provider is asked. Our own model of a class (not the provider
// API's CIMClass), because the daemon needs methods, parameters and qualifier flavours that
// providers never see; it converts to OpenWBEM::CIMClass when it calls a provider.
// Thread-safety: filled once before the server starts, read-only (and so shareable) after.
#pragma once

#include "OW_config.h"
#include "OW_CIMDataType.hpp"
#include "OW_CIMValue.hpp"

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace OpenWBEM
{
class CIMClass;
}

namespace cimom
{

class QualifierTypes;
class MofLoader;

// A qualifier as written on a class, property, method or parameter. `value` is typed as
// the qualifier's declared type (boolean for Key, IN, OUT, Static, ...; string for
// Description, Provider, ...; arrays for ValueMap/Values).
struct QualifierDecl
{
    std::string name;
    OpenWBEM::CIMValue value{OpenWBEM::CIMNULL};
    bool translatable = false; // flavour TRANSLATABLE (Description, Values)
    bool overridable = true;   // flavour OVERRIDABLE (false for Key, IN, OUT, Static)
    bool toSubclass = true;    // flavour TOSUBCLASS (false for restricted ones: Abstract, ...)
    bool propagated = false;   // inherited from the superclass, not written on this class
};

// The type of a property, parameter or method result.
struct TypeDecl
{
    OpenWBEM::CIMDataType::Type type = OpenWBEM::CIMDataType::CIMNULL;
    bool isArray = false;
    std::string referenceClass; // for REFERENCE types: the class referred to
    int arraySize = 0;          // fixed size of an array, 0 for a variable-length one
};

struct PropertyDecl
{
    std::string name;
    TypeDecl type;
    std::vector<QualifierDecl> qualifiers;
    OpenWBEM::CIMValue defaultValue{OpenWBEM::CIMNULL};
    std::string classOrigin; // the class that declared it first

    bool isKey() const;
    const QualifierDecl* qualifier(const std::string& name) const; // case-insensitive
};

struct ParameterDecl
{
    std::string name;
    TypeDecl type;
    std::vector<QualifierDecl> qualifiers;

    bool isIn() const;       // IN qualifier true, or no IN qualifier at all
    bool isOut() const;      // OUT qualifier true
    bool isRequired() const; // Required qualifier true
    const QualifierDecl* qualifier(const std::string& name) const;
};

struct MethodDecl
{
    std::string name;
    TypeDecl returnType;
    std::vector<QualifierDecl> qualifiers;
    std::vector<ParameterDecl> parameters; // in declared order
    std::string classOrigin;

    const QualifierDecl* qualifier(const std::string& name) const;
    const ParameterDecl* parameter(const std::string& name) const; // case-insensitive
};

struct ClassDecl
{
    std::string name;
    std::string superClass; // empty for a root class
    std::vector<QualifierDecl> qualifiers;
    std::vector<PropertyDecl> properties; // inherited ones first, in declared order
    std::vector<MethodDecl> methods;      // inherited ones first
    std::string sourceFile;               // where it was defined, for messages
    int sourceLine = 0;

    bool isAssociation() const; // Association qualifier true
    bool isAbstract() const;    // Abstract qualifier true
    // The provider id from Provider("c++::<Id>"), or empty when no C++ provider serves it.
    std::string providerId() const;
    const QualifierDecl* qualifier(const std::string& name) const; // case-insensitive
    const PropertyDecl* property(const std::string& name) const;   // case-insensitive
    const MethodDecl* method(const std::string& name) const;       // case-insensitive
    std::vector<const PropertyDecl*> keys() const;

    // The provider API's view of this class: name, superclass, qualifiers, properties with
    // their types, key qualifiers and defaults.
    OpenWBEM::CIMClass toCIMClass() const;
};

// Thrown when a MOF file cannot be read or parsed: the message names file and line.
class MofError : public std::runtime_error
{
public:
    MofError(const std::string& file, int line, const std::string& what);
    const std::string& file() const { return file_; }
    int line() const { return line_; }

private:
    std::string file_;
    int line_;
};

class Repository
{
public:
    // What the repository knows of qualifiers before the first MOF is loaded: the standard
    // ones of the CIM meta model (convenient for tests and tools), or none, as a fresh
    // namespace of a CIMOM, so that a class using a qualifier nobody declared is refused, as
    // owmofc refuses it. The daemon starts from none.
    enum class StartingQualifiers
    {
        Standard,
        None,
    };
    explicit Repository(StartingQualifiers start = StartingQualifiers::Standard);
    ~Repository();
    Repository(Repository&&) noexcept;
    Repository& operator=(Repository&&) noexcept;

    // Parses one MOF file (with #pragma include relative to it) and adds its classes. A class
    // whose superclass is unknown, a duplicate class, or any syntax error throws MofError, and
    // the repository is left as it was before the call.
    void loadMofFile(const std::string& path);
    // Same for MOF text held in memory; `name` stands for the file in messages.
    void loadMofText(const std::string& text, const std::string& name);

    // Case-insensitive lookup; null when the class is unknown.
    const ClassDecl* find(const std::string& className) const;
    std::vector<const ClassDecl*> allClasses() const; // in load order
    // Direct subclasses only, or (deep) every descendant.
    std::vector<const ClassDecl*> subclasses(const std::string& className, bool deep) const;
    // Association classes that have a reference property whose class is `className` or one of
    // its superclasses.
    std::vector<const ClassDecl*> associationsReferencing(const std::string& className) const;
    // True when className is ancestor itself or derives from it (case-insensitive); false
    // when either class is unknown.
    bool isSubclassOf(const std::string& className, const std::string& ancestor) const;

private:
    friend class MofLoader;

    std::vector<std::unique_ptr<ClassDecl>> classes_;
    std::map<std::string, ClassDecl*> byLowerName_;
    std::unique_ptr<QualifierTypes> qualifierTypes_; // standard and declared qualifiers
};

} // namespace cimom
