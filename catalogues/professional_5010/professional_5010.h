#pragma once
// The 005010X222A1 catalogue: its segment classes and code lists in
// prjVireo::professional_5010 (named as the 4010 ones where the guide did not
// change them), its Catalogue, and its control with a typed property per slot.
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/envelope.def"
#include "vireo/core/expand_family.h"
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/names.def"
#include "vireo/core/expand_family.h"
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/address.def"
#include "vireo/core/expand_family.h"
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/reference.def"
#include "vireo/core/expand_family.h"
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/hierarchy.def"
#include "vireo/core/expand_family.h"
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/claim.def"
#include "vireo/core/expand_family.h"
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/dates.def"
#include "vireo/core/expand_family.h"
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/certification.def"
#include "vireo/core/expand_family.h"
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/service_line.def"
#include "vireo/core/expand_family.h"
#define VIREO_CATALOGUE_NAMESPACE professional_5010
#define VIREO_FAMILY_FILE "vireo/catalogues/professional_5010/adjustment.def"
#include "vireo/core/expand_family.h"

#include "vireo/control/control.h"

namespace prjVireo::professional_5010 {

const catalogue::Catalogue& declared_catalogue();

// The 5010 catalogue, registered beside the 4010 one the first time it is
// asked for, so that it can be found by name.
inline const catalogue::Catalogue& registered_catalogue() {
    static const bool registered = (catalogue::register_catalogue(declared_catalogue()), true);
    (void)registered;
    return declared_catalogue();
}

class professional_5010_control final : public basic_vireo {
public:
    professional_5010_control() : basic_vireo(declared_catalogue()) {}
#define VIREO_SLOT_PROPERTIES_FILE "vireo/catalogues/professional_5010/slots.def"
#include "vireo/control/slot_properties.h"
};

}  // namespace prjVireo::professional_5010
