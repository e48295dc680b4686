#pragma once
// The 837 Professional 5010 catalogue: what the build and the code know it by.
// The build (vireo_add_catalogue) reads these lines as they are written.
//   VIREO_MANIFEST_GUIDE_ID     its guide's id, as GS08 says it; the catalogue's name
//   VIREO_MANIFEST_DESCRIPTION  the type library's description of its control
//   VIREO_MANIFEST_CONTROL      the control class (in VIREO_MANIFEST_NAMESPACE)
//   VIREO_MANIFEST_NAMESPACE    the namespace of its classes and code lists
#define VIREO_MANIFEST_GUIDE_ID "005010X222A1"
#define VIREO_MANIFEST_DESCRIPTION "Vireo ActiveX Control for HIPAA 837 5010"
#define VIREO_MANIFEST_CONTROL vireo
#define VIREO_MANIFEST_NAMESPACE prjVireo::professional_5010
