#pragma once
// Every family of the 4010 catalogue, one line each. The build reads this
// list (CMakeLists.txt) to compile each family's source and install its
// declarations: a new family is one line here.
#include "vireo/catalogues/professional_4010/envelope/envelope.h"
#include "vireo/catalogues/professional_4010/names/names.h"
#include "vireo/catalogues/professional_4010/address/address.h"
#include "vireo/catalogues/professional_4010/reference/reference.h"
#include "vireo/catalogues/professional_4010/hierarchy/hierarchy.h"
#include "vireo/catalogues/professional_4010/claim/claim.h"
#include "vireo/catalogues/professional_4010/dates/dates.h"
#include "vireo/catalogues/professional_4010/certification/certification.h"
#include "vireo/catalogues/professional_4010/service_line/service_line.h"
#include "vireo/catalogues/professional_4010/adjustment/adjustment.h"
