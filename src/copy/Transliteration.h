#pragma once

#include <string>
#include <string_view>

namespace tw::copy {

// Latin spelling of a file name: every Russian letter (А-я, Ё, ё) becomes one to three Latin
// letters, every space an underscore; every other character, invalid UTF-8 bytes included,
// is copied unchanged. UTF-8 in, UTF-8 out.
std::string transliterateName(std::string_view name);

} // namespace tw::copy
