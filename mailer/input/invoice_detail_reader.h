#pragma once
#include "mailer/input/records.h"
#include "platform/line_reader.h"

#include <memory>

namespace input {

/// Reads an invoice-detail file from its current line to its end: each H record opens an
/// invoice in `headers` (created at the first one), each D record adds a line to the invoice
/// opened last. Gives the number of invoices.
/// A D record before the first H record, a short H or D record and an empty line are skipped.
int ReadInput(platform::LineReader& in, std::unique_ptr<iHeaders>& headers);

}  // namespace input
