#pragma once
// Every family of the 5010 catalogue, one line each, read by the build
// (vireo_add_catalogue) to compile and install them.
#include "vireo/catalogues/professional_5010/envelope/envelope.h"
#include "vireo/catalogues/professional_5010/names/names.h"
#include "vireo/catalogues/professional_5010/address/address.h"
#include "vireo/catalogues/professional_5010/reference/reference.h"
#include "vireo/catalogues/professional_5010/hierarchy/hierarchy.h"
#include "vireo/catalogues/professional_5010/claim/claim.h"
#include "vireo/catalogues/professional_5010/dates/dates.h"
#include "vireo/catalogues/professional_5010/certification/certification.h"
#include "vireo/catalogues/professional_5010/service_line/service_line.h"
#include "vireo/catalogues/professional_5010/adjustment/adjustment.h"
