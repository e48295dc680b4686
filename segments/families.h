#pragma once
// Every family of the 4010 catalogue, one line each. The build reads this
// list (CMakeLists.txt) to compile each family's source and install its
// declarations: a new family is one line here.
#include "vireo/segments/envelope/envelope.h"
#include "vireo/segments/names/names.h"
#include "vireo/segments/address/address.h"
#include "vireo/segments/reference/reference.h"
#include "vireo/segments/hierarchy/hierarchy.h"
#include "vireo/segments/claim/claim.h"
#include "vireo/segments/dates/dates.h"
#include "vireo/segments/certification/certification.h"
#include "vireo/segments/service_line/service_line.h"
#include "vireo/segments/adjustment/adjustment.h"
