#pragma once
// Everything of the data-access layer in one include.
#include "platform/ado/connection.h"
#include "platform/ado/constants.h"
#include "platform/ado/error.h"
#include "platform/ado/field.h"
#include "platform/ado/recordset.h"
