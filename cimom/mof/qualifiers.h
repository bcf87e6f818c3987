// The qualifier types a MOF text may use: the standard CIM qualifiers, known without any
// declaration, plus those its own `qualifier` declarations add. A qualifier's type gives the
// type of the values written for it and the flavours it has unless the MOF says otherwise.
// Thread-safety: filled while MOF is loaded, before the server starts; read-only after.
#pragma once

#include "repository.h"

#include <map>
#include <string>

namespace cimom
{

struct QualifierType
{
    std::string name;
    TypeDecl type;
    OpenWBEM::CIMValue defaultValue{OpenWBEM::CIMNULL};
    bool overridable = true;
    bool toSubclass = true;
    bool translatable = false;
};

class QualifierTypes
{
public:
    // Starts with the standard qualifiers.
    QualifierTypes();
    // Knows no qualifier until one is declared, as a fresh namespace of a CIMOM: what the
    // daemon's repository starts from, so that it refuses what owmofc refuses.
    static QualifierTypes none();

    // Case-insensitive; null for a qualifier nobody declared.
    const QualifierType* find(const std::string& name) const;
    // A declaration replaces an earlier one of the same name, standard ones included.
    void declare(const QualifierType& type);

private:
    std::map<std::string, QualifierType> byLowerName_;
};

} // namespace cimom
