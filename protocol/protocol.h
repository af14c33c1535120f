// The protocol documents: object model, request writer, response reader and dataset transfers.
#pragma once

#include "protocol/errors.h"
#include "protocol/qm_param.h"
#include "protocol/qm_protocol.h"
#include "protocol/qm_table.h"
#include "protocol/read_answer.h"
#include "protocol/request_tables.h"
#include "protocol/response_tables.h"
#include "protocol/text_cut.h"
