#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace QrCom {

// Walks a firmware text record by record, cutting it at each colon: a record runs from its
// colon up to the next one, without the CR and LF characters that end its line. `record` gets
// the record's text and how far into the text the walk has come; false from it ends the walk.
// Returns false when a record ended the walk.
bool forEachHexRecord(std::string_view text,
                      const std::function<bool(std::string_view record, size_t scanned)>& record);

}  // namespace QrCom
