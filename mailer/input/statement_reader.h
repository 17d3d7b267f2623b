#pragma once
#include "mailer/input/bad_record.h"
#include "mailer/input/records.h"
#include "mailer/input/report_fields.h"
#include "mailer/input/statement_values.h"
#include "platform/line_reader.h"

#include <memory>

namespace input {

/// Reads a statement file from its current line to its end into the report's named fields, its
/// lines (`details` is created at the first D record) and its values, which are cleared first. Raises BadRecord for a short record, an E record of fewer than 7 fields, and
/// an account or statement reference that would name a file outside its folder, and a line
/// holding a NUL byte (a binary file); such a record stores nothing.
void ReadInput(platform::LineReader& in, ReportFields& fields, std::unique_ptr<Details>& details,
               StatementValues& values);

/// The same into a value of its own: the statement read whole before anything is decided.
StatementFile readStatement(platform::LineReader& in);

/// Raises the BadRecord that names `AcctNo`, and the line that cannot be read and why.
[[noreturn]] void DataError(const std::string& AcctNo, int line = 0, const QString& problem = {});

/// True when `name` can stand as a file or folder name without leading out of its folder, and
/// in a request's ATTACH line without splitting it.
bool isSafeFileName(const std::string& name);

}  // namespace input
