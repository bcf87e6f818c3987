// Loading MOF into the repository (files, includes, inheritance, the checks that need other
// classes) and the lookups the request handlers make.
#include "repository.h"

#include "mof/lexer.h"
#include "mof/parser.h"
#include "mof/qualifiers.h"
#include "mof/values.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace cimom
{

namespace
{

// Generous for any schema; it only stops a wrong path (a device, a huge log) from being read.
constexpr std::uintmax_t kMaxMofFileBytes = 16u * 1024u * 1024u;
// Includes nest no deeper than this, which also ends any include cycle the path check misses.
constexpr std::size_t kMaxIncludeDepth = 32;

std::vector<QualifierDecl> inheritedQualifiers(const std::vector<QualifierDecl>& qualifiers)
{
    std::vector<QualifierDecl> out;
    for (const QualifierDecl& q : qualifiers)
    {
        if (q.toSubclass)
        {
            out.push_back(q);
            out.back().propagated = true;
        }
    }
    return out;
}

// Lays `own` over `inherited`: same-named qualifiers replace the inherited ones, unless the
// inherited one may not be overridden and the value differs.
void overlayQualifiers(std::vector<QualifierDecl>& target, const std::vector<QualifierDecl>& own,
                       const std::string& subject, const std::string& file, int line)
{
    for (const QualifierDecl& q : own)
    {
        bool replaced = false;
        for (QualifierDecl& t : target)
        {
            if (!mof::equalsIgnoreCase(t.name, q.name))
            {
                continue;
            }
            if (!t.overridable && !(t.value == q.value))
            {
                throw MofError(file, line,
                               "qualifier " + q.name + " of " + subject +
                                   " is inherited and cannot be overridden");
            }
            t = q;
            replaced = true;
            break;
        }
        if (!replaced)
        {
            target.push_back(q);
        }
    }
}

std::string readWhole(const std::string& path, std::string& error)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
    {
        error = "is a directory";
        return std::string();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        error = std::strerror(errno);
        return std::string();
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec && size > kMaxMofFileBytes)
    {
        error = "larger than " + std::to_string(kMaxMofFileBytes) + " bytes";
        return std::string();
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
    {
        error = "read error";
    }
    return text.str();
}

} // namespace

// Reads MOF for one load call: follows includes relative to the including file and adds each
// class, with what it inherits, as soon as the parser has read it.
class MofLoader : public MofSink
{
public:
    explicit MofLoader(Repository& repository) : repo_(repository) {}

    void loadFile(const std::string& path, int includeLine);
    void loadText(const std::string& text, const std::string& name);

    void include(const std::string& path, int line) override;
    void addClass(ParsedClass&& parsed) override;

private:
    void inheritFrom(const ClassDecl& super, ClassDecl& cls) const;
    void addProperty(ClassDecl& cls, PropertyDecl own, int line) const;
    void addMethod(ClassDecl& cls, MethodDecl own, int line) const;
    void checkReferenceClass(TypeDecl& type, const std::string& subject, const std::string& file,
                             int line) const;

    Repository& repo_;
    std::vector<std::string> names_;     // files being read, innermost last, as named
    std::vector<std::string> canonical_; // the same files, resolved, to notice cycles
};

void MofLoader::loadFile(const std::string& path, int includeLine)
{
    std::error_code ec;
    std::string canonical = std::filesystem::weakly_canonical(path, ec).string();
    if (ec)
    {
        canonical = path;
    }
    const bool included = !names_.empty();
    const std::string& from = included ? names_.back() : path;
    for (const std::string& open : canonical_)
    {
        if (open == canonical)
        {
            throw MofError(from, includeLine,
                           "'" + path +
                               "' is already being read (an "
                               "include cycle)");
        }
    }
    if (names_.size() >= kMaxIncludeDepth)
    {
        throw MofError(from, includeLine,
                       "includes nest deeper than " + std::to_string(kMaxIncludeDepth));
    }
    std::string error;
    const std::string text = readWhole(path, error);
    if (!error.empty())
    {
        if (included)
        {
            throw MofError(from, includeLine, "cannot read included file '" + path + "': " + error);
        }
        throw MofError(path, 0, "cannot read MOF file: " + error);
    }
    canonical_.push_back(canonical);
    loadText(text, path);
    canonical_.pop_back();
}

void MofLoader::loadText(const std::string& text, const std::string& name)
{
    names_.push_back(name);
    parseMof(text, name, *repo_.qualifierTypes_, *this);
    names_.pop_back();
}

void MofLoader::include(const std::string& path, int line)
{
    std::filesystem::path target(path);
    if (target.is_relative())
    {
        target = (std::filesystem::path(names_.back()).parent_path() / target).lexically_normal();
    }
    loadFile(target.string(), line);
}

void MofLoader::inheritFrom(const ClassDecl& super, ClassDecl& cls) const
{
    cls.superClass = super.name;
    cls.qualifiers = inheritedQualifiers(super.qualifiers);
    cls.properties = super.properties;
    for (PropertyDecl& p : cls.properties)
    {
        p.qualifiers = inheritedQualifiers(p.qualifiers);
    }
    cls.methods = super.methods;
    for (MethodDecl& m : cls.methods)
    {
        m.qualifiers = inheritedQualifiers(m.qualifiers);
        for (ParameterDecl& param : m.parameters)
        {
            param.qualifiers = inheritedQualifiers(param.qualifiers);
        }
    }
}

void MofLoader::checkReferenceClass(TypeDecl& type, const std::string& subject,
                                    const std::string& file, int line) const
{
    if (type.type != OpenWBEM::CIMDataType::REFERENCE)
    {
        return;
    }
    const ClassDecl* target = repo_.find(type.referenceClass);
    if (!target)
    {
        throw MofError(file, line,
                       "unknown class " + type.referenceClass + " in the reference " + subject);
    }
    type.referenceClass = target->name;
}

void MofLoader::addProperty(ClassDecl& cls, PropertyDecl own, int line) const
{
    const std::string subject = "property " + own.name + " of class " + cls.name;
    checkReferenceClass(own.type, subject, cls.sourceFile, line);
    for (PropertyDecl& base : cls.properties)
    {
        if (!mof::equalsIgnoreCase(base.name, own.name))
        {
            continue;
        }
        const bool sameType =
            base.type.type == own.type.type && base.type.isArray == own.type.isArray;
        const bool narrowerReference =
            sameType && own.type.type == OpenWBEM::CIMDataType::REFERENCE &&
            repo_.isSubclassOf(own.type.referenceClass, base.type.referenceClass);
        if (!sameType || (own.type.type == OpenWBEM::CIMDataType::REFERENCE && !narrowerReference))
        {
            throw MofError(cls.sourceFile, line,
                           subject + " is declared as " + mof::describeType(own.type) +
                               " but inherits " + mof::describeType(base.type));
        }
        overlayQualifiers(base.qualifiers, own.qualifiers, subject, cls.sourceFile, line);
        own.qualifiers = base.qualifiers;
        if (!own.defaultValue)
        {
            own.defaultValue = base.defaultValue;
        }
        base = std::move(own); // keeps the inherited position
        return;
    }
    cls.properties.push_back(std::move(own));
}

void MofLoader::addMethod(ClassDecl& cls, MethodDecl own, int line) const
{
    const std::string subject = "method " + own.name + " of class " + cls.name;
    checkReferenceClass(own.returnType, subject, cls.sourceFile, line);
    for (ParameterDecl& param : own.parameters)
    {
        checkReferenceClass(param.type, "parameter " + param.name + " of " + subject,
                            cls.sourceFile, line);
    }
    for (MethodDecl& base : cls.methods)
    {
        if (!mof::equalsIgnoreCase(base.name, own.name))
        {
            continue;
        }
        if (base.returnType.type != own.returnType.type)
        {
            throw MofError(cls.sourceFile, line,
                           subject + " returns " + mof::describeType(own.returnType) +
                               " but inherits a method returning " +
                               mof::describeType(base.returnType));
        }
        overlayQualifiers(base.qualifiers, own.qualifiers, subject, cls.sourceFile, line);
        own.qualifiers = base.qualifiers;
        base = std::move(own);
        return;
    }
    cls.methods.push_back(std::move(own));
}

void MofLoader::addClass(ParsedClass&& parsed)
{
    ClassDecl& own = parsed.decl;
    const std::string& file = own.sourceFile;
    if (const ClassDecl* existing = repo_.find(own.name))
    {
        throw MofError(file, own.sourceLine,
                       "class " + own.name + " is already defined (" + existing->sourceFile + ":" +
                           std::to_string(existing->sourceLine) + ")");
    }
    auto cls = std::make_unique<ClassDecl>();
    cls->name = own.name;
    cls->sourceFile = own.sourceFile;
    cls->sourceLine = own.sourceLine;
    if (!own.superClass.empty())
    {
        const ClassDecl* super = repo_.find(own.superClass);
        if (!super)
        {
            throw MofError(file, parsed.superClassLine,
                           "unknown superclass " + own.superClass + " of class " + own.name);
        }
        inheritFrom(*super, *cls);
    }
    overlayQualifiers(cls->qualifiers, own.qualifiers, "class " + own.name, file, own.sourceLine);

    const bool association = cls->isAssociation();
    for (std::size_t i = 0; i < own.properties.size(); ++i)
    {
        const int line = parsed.propertyLines.at(i);
        if (!association && own.properties[i].type.type == OpenWBEM::CIMDataType::REFERENCE)
        {
            throw MofError(file, line,
                           "reference " + own.properties[i].name + " is declared in class " +
                               own.name +
                               ", which is not an association (qualifier "
                               "Association)");
        }
        addProperty(*cls, std::move(own.properties[i]), line);
    }
    for (std::size_t i = 0; i < own.methods.size(); ++i)
    {
        addMethod(*cls, std::move(own.methods[i]), parsed.methodLines.at(i));
    }
    if (association)
    {
        std::size_t references = 0;
        for (const PropertyDecl& p : cls->properties)
        {
            references += p.type.type == OpenWBEM::CIMDataType::REFERENCE ? 1 : 0;
        }
        if (references < 2)
        {
            throw MofError(file, own.sourceLine,
                           "association " + own.name + " needs at least two references");
        }
    }
    repo_.byLowerName_[mof::lowerAscii(cls->name)] = cls.get();
    repo_.classes_.push_back(std::move(cls));
}

Repository::Repository(StartingQualifiers start)
    : qualifierTypes_(std::make_unique<QualifierTypes>(
          start == StartingQualifiers::None ? QualifierTypes::none() : QualifierTypes()))
{
}
Repository::~Repository() = default;
Repository::Repository(Repository&&) noexcept = default;
Repository& Repository::operator=(Repository&&) noexcept = default;

namespace
{

// Undoes a failed load, so that a repository never holds half of a MOF file.
class LoadGuard
{
public:
    LoadGuard(std::vector<std::unique_ptr<ClassDecl>>& classes,
              std::map<std::string, ClassDecl*>& byLowerName, QualifierTypes& qualifiers)
        : classes_(classes), byLowerName_(byLowerName), qualifiers_(qualifiers),
          savedQualifiers_(qualifiers), classCount_(classes.size())
    {
    }

    void rollBack()
    {
        for (std::size_t i = classCount_; i < classes_.size(); ++i)
        {
            byLowerName_.erase(mof::lowerAscii(classes_[i]->name));
        }
        classes_.resize(classCount_);
        qualifiers_ = savedQualifiers_;
    }

private:
    std::vector<std::unique_ptr<ClassDecl>>& classes_;
    std::map<std::string, ClassDecl*>& byLowerName_;
    QualifierTypes& qualifiers_;
    QualifierTypes savedQualifiers_;
    std::size_t classCount_;
};

} // namespace

void Repository::loadMofFile(const std::string& path)
{
    if (!qualifierTypes_) // moved from
    {
        qualifierTypes_ = std::make_unique<QualifierTypes>(QualifierTypes::none());
    }
    LoadGuard guard(classes_, byLowerName_, *qualifierTypes_);
    try
    {
        MofLoader(*this).loadFile(path, 0);
    }
    catch (...)
    {
        guard.rollBack();
        throw;
    }
}

void Repository::loadMofText(const std::string& text, const std::string& name)
{
    if (!qualifierTypes_) // moved from
    {
        qualifierTypes_ = std::make_unique<QualifierTypes>(QualifierTypes::none());
    }
    LoadGuard guard(classes_, byLowerName_, *qualifierTypes_);
    try
    {
        MofLoader(*this).loadText(text, name);
    }
    catch (...)
    {
        guard.rollBack();
        throw;
    }
}

const ClassDecl* Repository::find(const std::string& className) const
{
    const auto it = byLowerName_.find(mof::lowerAscii(className));
    return it == byLowerName_.end() ? nullptr : it->second;
}

std::vector<const ClassDecl*> Repository::allClasses() const
{
    std::vector<const ClassDecl*> out;
    for (const auto& c : classes_)
    {
        out.push_back(c.get());
    }
    return out;
}

std::vector<const ClassDecl*> Repository::subclasses(const std::string& className, bool deep) const
{
    std::vector<const ClassDecl*> out;
    for (const auto& c : classes_)
    {
        if (c->superClass.empty())
        {
            continue;
        }
        const bool match = deep ? isSubclassOf(c->superClass, className)
                                : mof::equalsIgnoreCase(c->superClass, className);
        if (match)
        {
            out.push_back(c.get());
        }
    }
    return out;
}

std::vector<const ClassDecl*>
Repository::associationsReferencing(const std::string& className) const
{
    std::vector<const ClassDecl*> out;
    for (const auto& c : classes_)
    {
        if (!c->isAssociation())
        {
            continue;
        }
        for (const PropertyDecl& p : c->properties)
        {
            if (p.type.type == OpenWBEM::CIMDataType::REFERENCE &&
                isSubclassOf(className, p.type.referenceClass))
            {
                out.push_back(c.get());
                break;
            }
        }
    }
    return out;
}

bool Repository::isSubclassOf(const std::string& className, const std::string& ancestor) const
{
    if (!find(ancestor))
    {
        return false;
    }
    // A superclass is always loaded before its subclasses, so the chain has no cycle.
    for (const ClassDecl* c = find(className); c; c = find(c->superClass))
    {
        if (mof::equalsIgnoreCase(c->name, ancestor))
        {
            return true;
        }
        if (c->superClass.empty())
        {
            break;
        }
    }
    return false;
}

} // namespace cimom
