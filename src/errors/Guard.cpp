#include "errors/Guard.h"

#include "errors/ErrorReporter.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

namespace tw::errors {

int& stepNumber() {
    return ErrorReporter::instance().stepNumber();
}

std::string currentExceptionTypeName() {
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (type == nullptr)
        return "unknown";
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), &std::free);
    if (status == 0 && demangled)
        return demangled.get();
    return type->name();
}

void reportCurrentException(std::string_view code) {
    ErrorReporter::instance().report(std::string(code), currentExceptionTypeName(), "");
}

} // namespace tw::errors
