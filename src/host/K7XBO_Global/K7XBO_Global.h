// Umbrella header of the host business-object service.
#pragma once

#include <K7XBO_Global/CDatabase.h>
#include <K7XBO_Global/CDocFields.h>
#include <K7XBO_Global/CFormulaEditor.h>
#include <K7XBO_Global/CFormulaEngine.h>
#include <K7XBO_Global/CGlobal.h>
#include <K7XBO_Global/CHotkeys.h>
#include <K7XBO_Global/CTextUtil.h>
#include <K7X_DoruVevuzu/RuntimeError.h>

/// The host's business-object service, our reference implementation: the database link, text
/// utilities, hotkeys, document fields, and the formula engine and editor.
namespace K7XBO_Global {}
